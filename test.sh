#!/usr/bin/env bash
# Builds Tamsel both ways and runs every test: the unit tests against the
# Win32 stand-in (with ASan and UBSan), formatting and static analysis, then
# the Windows build with its checks, the system contract cases and the
# end-to-end scenarios under Wine. Installs whatever is missing first.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/setup.sh

cmake --preset host
cmake --build --preset host
ctest --preset host -j2

cmake --preset windows
cmake --build --preset windows
ctest --preset windows
