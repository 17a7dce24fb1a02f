#!/usr/bin/env bash
# Builds tamsel.exe and runs it under Wine, in a Russian locale so that code
# page 1251 applies. Uses the X display in $DISPLAY, or starts a private Xvfb
# display when there is none. Arguments go to Tamsel (for instance q to quit
# the running copy). Stays in the foreground until Tamsel quits; Ctrl+C asks
# it to quit. A second run while one runs says so and returns. Installs
# whatever is missing first.
set -euo pipefail
cd "$(dirname "$0")"

# Tamsel's quit switch: a command line that ends in a lower-case q.
quitting=
case "$*" in *q) quitting=1 ;; esac

# A run holds this lock until it ends; the programs it starts get no copy of
# it (9>&-), so that none that outlives the run keeps it.
if [ -z "$quitting" ]; then
  mkdir -p build
  exec 9>build/run.lock
  if ! flock -n 9; then
    echo "run: Tamsel already runs from an earlier ./run.sh; Ctrl+C there, the tray menu or ./run.sh q quits it"
    exit 0
  fi
fi

bash tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target tamsel

export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
export WINEPREFIX=${WINEPREFIX:-$PWD/build/run-prefix}
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all

if [ -z "${DISPLAY:-}" ]; then
  numberfile=$(mktemp)
  # In a session of its own, so that Ctrl+C in the terminal cannot end the
  # display under Wine's feet.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberfile" 2>/dev/null 9>&- &
  xvfb=$!
  # Wine's own processes, its tray among them, end a few seconds after the
  # last program: the display goes only after them, or they lose it mid-way.
  # set +e: a message that a closed terminal cannot take must not stop it.
  trap 'set +e; echo "run: waiting for Wine to end before closing the private display"
    wineserver -w; kill $xvfb 2>/dev/null; rm -f "$numberfile"' EXIT
  for _ in $(seq 100); do [ -s "$numberfile" ] && break; sleep 0.1; done
  [ -s "$numberfile" ] || { echo "run: Xvfb did not start" >&2; exit 1; }
  DISPLAY=:$(head -n1 "$numberfile")
  export DISPLAY
  echo "run: no X display is set; Tamsel runs on a private Xvfb display $DISPLAY (screenshot: import -window root shot.png)"
fi

if [ ! -d "$WINEPREFIX" ]; then
  echo "run: creating the Wine prefix $WINEPREFIX (about 20 s)"
  wineboot -i >/dev/null 2>&1 9>&-
  wineserver -w
fi
# The settings page's font; also for a prefix made before it was needed.
python3 e2e/wine_env.py fonts "$WINEPREFIX"

if [ -n "$quitting" ]; then
  echo "run: asking the running copy of Tamsel to quit"
  wine build/windows/tamsel.exe "$@"
  exit
fi

# Wine runs in a session of its own too, out of reach of the terminal's
# Ctrl+C, which would end its processes in mid-flight; Ctrl+C, a closed
# terminal or a kill ask Tamsel to quit instead, as its tray menu would.
stop=
trap 'stop=1' INT HUP TERM
echo "run: starting Tamsel; it lives in the tray, and this command waits until it quits. Quit it from the tray menu, with Ctrl+C, or with: ./run.sh q"
setsid wine build/windows/tamsel.exe "$@" 9>&- &
tamsel=$!
while :; do
  status=0
  wait "$tamsel" || status=$?
  # A signal ends the wait early; Tamsel itself may have ended meanwhile.
  if [ -z "$stop" ] || ! kill -0 "$tamsel" 2>/dev/null; then
    break
  fi
  stop=
  echo "run: asking Tamsel to quit" || true
  wine build/windows/tamsel.exe q 9>&- || true
done
exit "$status"
