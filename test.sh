#!/usr/bin/env bash
# Builds Tamsel every way and runs every test: the unit tests against the
# Win32 stand-in (with ASan and UBSan) with the formatting and clang-tidy
# checks; the Windows build as it configures without the tests under Wine;
# then the Windows build with its checks, the system contract cases and the
# end-to-end scenarios under Wine, with the fuzz targets and the contract cases
# in an English locale beside them.
# Installs whatever is missing first. Every suite runs even when an earlier
# one fails; the last line counts them all.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/setup.sh

passed=0
failed=0
build() {
  cmake --preset "$1"
  cmake --build --preset "$1"
}

# Adds the counts of a preset's CTest log to the totals.
count() {
  local preset=$1 log=$2 summary total bad
  # "100% tests passed, 0 tests failed out of 64"
  summary=$(grep -E 'tests failed out of [0-9]+' "$log" | tail -n1)
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$summary")
  if [ -z "$summary" ]; then
    echo "test.sh: the $preset suite reported no result" >&2
    total=1 bad=1
  fi
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

# Runs a built preset's tests; the rest of the arguments go to ctest.
run_tests() {
  local preset=$1 log start=$SECONDS
  log=$(mktemp)
  ctest --preset "$preset" "${@:2}" | tee "$log" || true
  count "$preset" "$log"
  rm -f "$log"
  echo "test.sh: the $preset tests took $((SECONDS - start)) s"
}

# The Windows build as a native MinGW configures it: without the tests under
# Wine, with no Wine to be found (a PATH of links to the build tools alone).
# It must still build tamsel.exe and, from GoogleTest's sources,
# contract_tests.exe; one test in the count.
windows_alone() {
  local dir=$PWD/build/windows-alone tool start=$SECONDS
  rm -rf "$dir/tools" && mkdir -p "$dir/tools"
  for tool in cmake ninja x86_64-w64-mingw32-gcc x86_64-w64-mingw32-gcc-posix \
    x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres; do
    ln -s "$(command -v "$tool")" "$dir/tools/$tool"
  done
  ln -s "$(python3 -c 'import sys; print(sys.executable)')" "$dir/tools/python3"
  if PATH=$dir/tools cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    --toolchain cmake/mingw-w64-x86_64.cmake -DTAMSEL_WINE_TESTS=OFF \
    -DTAMSEL_GOOGLETEST_DIR=/usr/src/googletest &&
    PATH=$dir/tools cmake --build "$dir" && [ -f "$dir/tamsel.exe" ] &&
    [ -f "$dir/contract_tests.exe" ]; then
    echo "test.sh: the Windows build configures and builds tamsel.exe and contract_tests.exe without Wine"
    passed=$((passed + 1))
  else
    echo "test.sh: the Windows build without the Wine tests failed" >&2
    failed=$((failed + 1))
  fi
  echo "test.sh: the Windows build alone took $((SECONDS - start)) s"
}

# That build's tamsel.exe, made in another folder at another time, must equal
# the windows preset's byte for byte, as a release's must. One test in the count.
same_exe() {
  if cmp build/windows-alone/tamsel.exe build/windows/tamsel.exe; then
    echo "test.sh: tamsel.exe is the same byte for byte from both builds"
    passed=$((passed + 1))
  else
    echo "test.sh: tamsel.exe differs between the two builds" >&2
    failed=$((failed + 1))
  fi
}

build host
run_tests host -j2
windows_alone
build fuzz
build windows
same_exe
# The fuzz targets run on one core, at a lower priority, while the Windows
# tests spend most of their time waiting for Wine; their log follows after.
# So do the system contract cases once more, on a display and in a Wine
# prefix of their own with an English locale (ANSI code page 1252, as on a
# Windows in another language): none may fail there, and a case that skips
# must say what it assumes; one test in the count.
fuzzlog=$(mktemp) englishlog=$(mktemp)
(nice ctest --preset fuzz >"$fuzzlog" 2>&1 || true) &
fuzz=$!
nice python3 -u e2e/contract_locale.py build/windows en_US.UTF-8 >"$englishlog" 2>&1 &
english=$!
run_tests windows
wait "$fuzz" || true
cat "$fuzzlog"
count fuzz "$fuzzlog"
if wait "$english"; then
  passed=$((passed + 1))
else
  echo "test.sh: the contract cases under an English locale failed" >&2
  failed=$((failed + 1))
fi
cat "$englishlog"
rm -f "$fuzzlog" "$englishlog"

echo "test.sh: $passed passed, $failed failed in $SECONDS s"
[ "$failed" -eq 0 ]
