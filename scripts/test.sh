#!/usr/bin/env bash
# Builds and tests everything: a plain optimised build, an ASan+UBSan build, and
# bounded libFuzzer runs. Exits non-zero on the first failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

"$root/scripts/install-deps.sh"

variant() {
  local name=$1; shift
  echo "=== $name build"
  cmake -S "$root" -B "$root/build/$name" -G Ninja "$@" >/dev/null
  cmake --build "$root/build/$name" -j "$jobs"
  echo "=== $name tests"
  ctest --test-dir "$root/build/$name" --output-on-failure -j "$jobs"
}

variant fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVEXA_FUZZ=ON -DVEXA_FUZZ_SECONDS="${VEXA_FUZZ_SECONDS:-60}"
variant asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_SANITIZE=ON
variant release -DCMAKE_BUILD_TYPE=Release
