#!/usr/bin/env bash
# Builds Tamsel every way and runs every test: the unit tests against the
# Win32 stand-in (with ASan and UBSan) with the formatting and clang-tidy
# checks, the fuzz targets, then the Windows build with its checks,
# the system contract cases and the end-to-end scenarios under Wine.
# Installs whatever is missing first. Every suite runs even when an earlier
# one fails; the last line counts them all.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/setup.sh

passed=0
failed=0
suite() {
  local preset=$1 log
  log=$(mktemp)
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset" "${@:2}" | tee "$log" || true
  # "100% tests passed, 0 tests failed out of 64"
  local summary total bad
  summary=$(grep -E 'tests failed out of [0-9]+' "$log" | tail -n1)
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$summary")
  if [ -z "$summary" ]; then
    echo "test.sh: the $preset suite reported no result" >&2
    total=1 bad=1
  fi
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  rm -f "$log"
}

suite host -j2
suite fuzz
suite windows

echo "test.sh: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
