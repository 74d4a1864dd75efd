#!/usr/bin/env bash
# Kills "vexa update" at 20 random moments of a dozen-file update, every other one
# also bringing a new updater, and checks that the next run reaches the new version
# (the same test as the fixed moments in CI).
# Usage: bash bench/crash_points.sh [build folder, default build/asan] [count, default 20]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/asan}
count=${2:-20}
failed=0
for point in $(seq "$count"); do
  moment=$((RANDOM % 8000))
  updater=$((point % 2))
  what="killed after $moment ms"
  if [ "$updater" = 1 ]; then what="$what, with a new updater"; fi
  if VEXA_CRASH_KILL_MS=$moment VEXA_CRASH_WITH_UPDATER=$updater "$build/bin/vexa_control_tests" \
       --gtest_filter='KilledUpdateTest.KilledAtTheMomentFromTheEnvironment' >"${TMPDIR:-/tmp}/crash_point.$$.log" 2>&1; then
    echo "$what: healed"
  else
    echo "$what: NOT HEALED"; grep -E 'Failure|Which is|killed after' "${TMPDIR:-/tmp}/crash_point.$$.log" | head -20
    failed=1
  fi
done
rm -f "${TMPDIR:-/tmp}/crash_point.$$.log"
exit $failed
