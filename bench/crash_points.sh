#!/usr/bin/env bash
# Kills "vexa update" at 20 random moments of a dozen-file update and checks that the
# next run reaches the new version (the same test as the six fixed moments in CI).
# Usage: bash bench/crash_points.sh [build folder, default build/asan] [count, default 20]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/asan}
count=${2:-20}
failed=0
for _ in $(seq "$count"); do
  moment=$((RANDOM % 8000))
  if VEXA_CRASH_KILL_MS=$moment "$build/bin/vexa_control_tests" \
       --gtest_filter='KilledUpdateTest.KilledAtTheMomentFromTheEnvironment' >/dev/null 2>&1; then
    echo "killed after $moment ms: healed"
  else
    echo "killed after $moment ms: NOT HEALED"; failed=1
  fi
done
exit $failed
