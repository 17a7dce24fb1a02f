#!/usr/bin/env bash
# Builds the Windows preset and soaks the real tamsel.exe under Wine on a
# private Xvfb display with a private Wine prefix (e2e/soak.py): 300 pastes of
# rich contents into two editors, 50 settings-page openings, 200 activation
# toggles, and tamsel.exe's private bytes and handles first against last,
# its private bytes beside those of the benchmark's minimal paster pasting the
# same texts. Takes about 25 minutes; not part of ./test.sh. Arguments go to
# e2e/soak.py (--rounds N, --seed N, --most-failures N). Installs whatever is
# missing first.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
exec python3 e2e/soak.py build/windows "$@"
