#!/usr/bin/env bash
# Installs what building and testing Tamsel needs on Debian, once: packages
# already present are left alone, so a second run costs a few seconds. Run as
# root, or as a user with sudo rights: sudo is called for the system steps
# only, and only when something is missing, so that a run with everything
# there never prompts (every command calls this each time).
set -euo pipefail

as_root() {
  if ((EUID == 0)); then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "setup: $1 needs root: run this as root, or install sudo" >&2
    exit 1
  fi
}

packages=(
  cmake ninja-build g++ googletest libgtest-dev libgmock-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64 fonts-wine xvfb xdotool x11-utils imagemagick locales python3 python3-yaml
  clang clang-format clang-tidy libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes its ANSI code page from the Unix locale: ru_RU.UTF-8 gives 1251,
# the test command's; en_US.UTF-8 gives 1252, where it checks once that the
# system contract cases hold on another code page.
for name in ru_RU en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$name\.utf-\?8$"; then
    echo "setup: generating the $name.UTF-8 locale"
    as_root sed -i "s/^# *\($name.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$name.UTF-8 UTF-8" /etc/locale.gen ||
      echo "$name.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
  fi
done
