#!/usr/bin/env bash
# The demo: builds the updater and the library and shows what they are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" -j "$(nproc)"
echo "vexa:        $root/build/release/bin/vexa"
echo "libcquill:   $root/build/release/lib/libcquill.so"
