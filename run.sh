#!/usr/bin/env bash
# Builds tamsel.exe and runs it under Wine, in a Russian locale so that code
# page 1251 applies. Uses the X display in $DISPLAY, or starts a private Xvfb
# display when there is none. Arguments go to Tamsel (for instance q to quit
# the running copy). Installs whatever is missing first.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target tamsel

export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
export WINEPREFIX=${WINEPREFIX:-$PWD/build/run-prefix}
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all

if [ -z "${DISPLAY:-}" ]; then
  numberfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberfile" 2>/dev/null &
  xvfb=$!
  # Wine's own processes, its tray among them, end a few seconds after the
  # last program: the display goes only after them, or they lose it mid-way.
  trap 'echo "run: waiting for Wine to end before closing the private display"; wineserver -w
    kill $xvfb 2>/dev/null; rm -f "$numberfile"' EXIT
  for _ in $(seq 100); do [ -s "$numberfile" ] && break; sleep 0.1; done
  [ -s "$numberfile" ] || { echo "run: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$(head -n1 "$numberfile")
  echo "run: no X display is set; Tamsel runs on a private Xvfb display $DISPLAY (screenshot: import -window root shot.png)"
fi

if [ ! -d "$WINEPREFIX" ]; then
  echo "run: creating the Wine prefix $WINEPREFIX (about 20 s)"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# The settings page's font; also for a prefix made before it was needed.
python3 e2e/wine_env.py fonts "$WINEPREFIX"
case "$*" in
  *q) echo "run: asking the running copy of Tamsel to quit" ;;
  *) echo "run: starting Tamsel; it lives in the tray. Quit it from the tray menu or with: ./run.sh q" ;;
esac
wine build/windows/tamsel.exe "$@"
