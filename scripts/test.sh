#!/usr/bin/env bash
# Builds and tests everything: a plain optimised build, an ASan+UBSan build, bounded
# libFuzzer runs, the network and thread tests under ThreadSanitizer, and the Windows
# cross-build with its tests under wine. Exits non-zero on the first failure.
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
  -DVEXA_FUZZ=ON -DVEXA_FUZZ_SECONDS="${VEXA_FUZZ_SECONDS:-30}"
variant asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_SANITIZE=ON -DVEXA_BENCH=OFF
variant release -DCMAKE_BUILD_TYPE=Release

# ThreadSanitizer: only the programs of the threaded code (the whole suite would take too
# long under it), and in them only the tests of connections, windows and threads. The
# hostile-server case tests decoding, and its 33 MB inflation is too slow under it.
echo "=== tsan build (network and thread tests)"
cmake -S "$root" -B "$root/build/tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_TSAN=ON -DVEXA_BENCH=OFF >/dev/null
cmake --build "$root/build/tsan" -j "$jobs" --target cquill_src_tests platform_tests
echo "=== tsan tests"
export TSAN_OPTIONS=halt_on_error=1
tsan_passed=0
# Runs one test program and adds up what it passed; a failure ends the script.
tsan_run() {
  local log="$root/build/tsan/$(basename "$1").log"
  "$@" 2>&1 | tee "$log"
  tsan_passed=$((tsan_passed + $(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' "$log")))
}
tsan_run "$root/build/tsan/bin/cquill_src_tests" --gtest_filter='ConnectSocket*:ClientSocketWnd*:NetworkClient*:NetworkWorker*:ThreadBase*:-NetworkClient.HostileServersNeverCrashTheClient'
tsan_run "$root/build/tsan/bin/platform_tests" --gtest_filter='ThreadWindow*:Socket*:Wakeup*'
echo "tsan: $tsan_passed passed, 0 failed"

# Windows: the cross-build and its tests under wine64 (the dependency prefix
# build/windows-deps is built on the first run and reused after).
echo "=== windows stage"
"$root/scripts/build-windows.sh"
