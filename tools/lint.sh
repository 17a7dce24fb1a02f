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
    files=$(git ls-files -- 'app/*.cpp' 'paste/*.cpp' 'settings/*.cpp' 'settingspage/*.cpp' 'winsim/src/*.cpp')
    clang-tidy --quiet -p "$build/tidy" $files
    echo "clang-tidy: $(echo $files | wc -w) files checked"
    ;;
  *)
    echo "usage: $0 format|tidy [BUILD_DIR]" >&2
    exit 2
    ;;
esac
