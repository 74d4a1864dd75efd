#!/usr/bin/env bash
# Cross-builds the project for 64-bit Windows into build/windows (programs and cquill.dll
# in build/windows/bin) and runs its tests under wine64 through CTest. Installs what is
# missing from Debian's packages and builds the dependencies from Debian's sources once
# (scripts/windows-deps.sh; the prefix is $VEXA_WINDOWS_DEPS, default
# build/windows-deps). Exits non-zero on the first failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
export VEXA_WINDOWS_DEPS=${VEXA_WINDOWS_DEPS:-$root/build/windows-deps}
build=$root/build/windows

"$root/scripts/install-deps.sh" windows
"$root/scripts/windows-deps.sh"

echo "=== windows build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DVEXA_WINDOWS_DEPS="$VEXA_WINDOWS_DEPS" >/dev/null
cmake --build "$build" -j "$jobs"

echo "=== windows tests"
ctest --test-dir "$build" --output-on-failure -j "$jobs"
