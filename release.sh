#!/usr/bin/env bash
# Builds tamsel.exe with the windows preset and writes the release into
# build/release/: tamsel-VERSION-COMMIT-win64.zip (tamsel.exe, the user guide
# and the licence), tamsel.exe beside it, and SHA256SUMS over the zip and the
# exe. The same commit built with Debian 12's MinGW-w64 gives the same bytes
# on any machine. A checkout with changes still gets its zip, named
# COMMIT-dirty, as it is no commit's release. Installs whatever is missing
# first.
set -euo pipefail
cd "$(dirname "$0")"

# The commit names and dates the release: a source archive has none, and a
# folder inside another project's checkout would take that one's. A checkout
# that git refuses (one owned by another user, say) gets git's own word.
if ! top=$(git rev-parse --show-toplevel 2>&1) || [ "$top" != "$(pwd -P)" ]; then
  if [ -e .git ]; then
    echo "$top" >&2
  else
    echo "release: needs a git checkout of Tamsel, as the commit names and dates the release; $(pwd -P) is none" >&2
  fi
  exit 1
fi
bash tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target tamsel

# Seven digits whatever the user's core.abbrev, so that the name is the same
# in every clone.
commit=$(git rev-parse --short=7 HEAD)
if [ -n "$(git status --porcelain)" ]; then
  echo "release: the checkout has changes that no commit holds; the zip is named $commit-dirty" >&2
  commit=$commit-dirty
fi
rm -rf build/release
python3 tools/release.py build/windows/tamsel.exe docs/guide.txt LICENSE res/tamsel.rc \
  "$commit" "$(git log -1 --format=%ct)" build/release
