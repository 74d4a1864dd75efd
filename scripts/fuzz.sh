#!/usr/bin/env bash
# Longer fuzzing than CI: runs every libFuzzer target in turn for the given seconds
# (default 600), then minimises its corpus in fuzz/corpus/<target>/ so the repository
# keeps what was found. Hand-written seeds (any name that is not a 40-digit hash) stay
# as they are. Prints executions and coverage per target; exits 1 if any target
# found a crash, leak or time-out (inputs in build/fuzz/findings/<target>/).
#   scripts/fuzz.sh [seconds per target] [target...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
shift || true
build="$root/build/fuzz"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVEXA_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/fuzz/*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for name in "${targets[@]}"; do
  corpus="$root/fuzz/corpus/$name"
  findings="$build/findings/$name"
  mkdir -p "$corpus" "$findings" "$work/$name/new" "$work/$name/merged"
  options=(-rss_limit_mb=4096 -timeout=10)
  [ -f "$root/fuzz/$name.dict" ] && options+=("-dict=$root/fuzz/$name.dict")
  before=$(find "$corpus" -type f | wc -l)

  echo "=== $name: ${seconds}s"
  status=0
  "$build/bin/$name" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work/$name/new" "$corpus" >"$work/$name/run.log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name/run.log")
  coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$work/$name/run.log" | tail -n 1)

  # Minimise: seeds first, then every hashed input old or new, keeping only those
  # that add coverage.
  find "$corpus" -type f -regextype posix-extended ! -regex '.*/[0-9a-f]{40}' \
    -exec cp -t "$work/$name/merged" {} +
  mkdir -p "$work/$name/hashed"
  find "$corpus" -type f -regextype posix-extended -regex '.*/[0-9a-f]{40}' \
    -exec cp -t "$work/$name/hashed" {} +
  "$build/bin/$name" "${options[@]}" -merge=1 "$work/$name/merged" \
    "$work/$name/hashed" "$work/$name/new" >"$work/$name/merge.log" 2>&1
  rm -rf "$corpus"
  cp -r "$work/$name/merged" "$corpus"
  after=$(find "$corpus" -type f | wc -l)

  echo "$name: ${executions:-?} executions, ${coverage:-no coverage line}, corpus $before -> $after files"
  if [ "$status" -ne 0 ]; then
    failed=1
    echo "$name: FINDING (exit $status), inputs in $findings:"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$work/$name/run.log" | head -n 5 || true
    ls "$findings"
  fi
done
exit "$failed"
