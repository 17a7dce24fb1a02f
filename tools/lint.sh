#!/usr/bin/env bash
# Checks formatting (clang-format) and looks for faults (clang-tidy) in the
# project's C++ sources. Usage: tools/lint.sh format|tidy BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
what=$1
build=${2:-build/host}

sources() {
  git ls-files -- '*.cpp' '*.h' 2>/dev/null ||
    find app paste settings settingspage winsim tests e2e bench -name '*.cpp' -o -name '*.h'
}

case $what in
  format)
    sources | xargs clang-format --dry-run --Werror
    echo "clang-format: $(sources | wc -l) files formatted"
    ;;
  tidy)
    # clang only knows UTF-8 as the execution character set; the texts' bytes
    # do not matter for these checks, so the CP1251 flag is dropped.
    mkdir -p "$build/tidy"
    sed -e 's/-fexec-charset=CP1251//g' "$build/compile_commands.json" > "$build/tidy/compile_commands.json"
    # The program, winsim and the host-built tests; the cross-built helpers
    # compile with warnings as errors, and one winsim test file is meant not
    # to build.
    files=$(git ls-files -- ':(glob)app/*.cpp' ':(glob)paste/*.cpp' ':(glob)settings/*.cpp' \
      ':(glob)settingspage/*.cpp' ':(glob)winsim/src/*.cpp' ':(glob)winsim/tests/*_test.cpp' \
      ':(glob)tests/*.cpp' ':(glob)tests/contract/*_test.cpp' 'tests/contract/contract_host.cpp')
    echo "$files" | xargs -P "$(nproc)" -n 4 clang-tidy --quiet -p "$build/tidy"
    echo "clang-tidy: $(echo $files | wc -w) files checked"
    ;;
  *)
    echo "usage: $0 format|tidy [BUILD_DIR]" >&2
    exit 2
    ;;
esac
