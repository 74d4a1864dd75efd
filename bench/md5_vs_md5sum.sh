#!/usr/bin/env bash
# FileMd5Hex against Debian's md5sum on the same 1 GiB file, in one run.
# Usage: bench/md5_vs_md5sum.sh [build folder]   (default: build/release)
set -euo pipefail
build=${1:-build/release}
file=$(mktemp /tmp/vexa-md5-bench.XXXXXX)
trap 'rm -f "$file" "$file.json"' EXIT

head -c 1G /dev/urandom > "$file"
cat "$file" > /dev/null  # both sides read from the page cache

VEXA_BENCH_MD5_FILE="$file" "$build/bin/md5" --benchmark_filter='FileMd5Hex|Md5sum' \
  --benchmark_format=json > "$file.json"
python3 - "$file.json" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
ours, theirs = runs["BM_FileMd5Hex"], runs["BM_Md5sum"]
mib = lambda run: run["bytes_per_second"] / 2**20
print(f"FileMd5Hex {mib(ours):8.1f} MiB/s")
print(f"md5sum     {mib(theirs):8.1f} MiB/s")
print(f"ratio      {mib(ours) / mib(theirs):8.2f} (target >= 0.90)")
PY
