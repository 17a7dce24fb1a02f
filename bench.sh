#!/usr/bin/env bash
# Measures the real tamsel.exe under Wine against tiny programs of ours and
# prints one table of ratios (bench/wine/bench.py says what it measures).
# Arguments go to bench.py: --runs 3 measures three times and says how much
# the figures moved. Installs whatever is missing first; takes a few minutes.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target wine_bench
exec python3 bench/wine/bench.py build/windows "$@"
