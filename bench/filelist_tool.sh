#!/usr/bin/env bash
# `vexa -g -q` against `find -type f -print0 | xargs -0 md5sum` and against the
# same on two processes (`xargs -P2`, batches of 256 files so both get work) on
# the same generated client tree (20,000 files, about 1 GiB in mixed sizes), in
# one run.
# Usage: bench/filelist_tool.sh [build folder]   (default: build/release)
set -euo pipefail
build=${1:-build/release}
work=$(mktemp -d /tmp/vexa-tree-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
tree="$work/root"

python3 - "$tree" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(7)
# Mostly small files, some medium, a few large: about 1 GiB in all.
sizes = [rng.randint(0, 40 << 10) for _ in range(19000)]
sizes += [rng.randint(100 << 10, 1 << 20) for _ in range(950)]
sizes += [rng.randint(1 << 20, 5 << 20) for _ in range(50)]
rng.shuffle(sizes)
pool = os.urandom(8 << 20)
for i, size in enumerate(sizes):
    folder = os.path.join(root, "data%02d" % (i % 20), "set%02d" % (i % 13), "part%d" % (i % 3))
    os.makedirs(folder, exist_ok=True)
    start = rng.randint(0, len(pool) - 1)
    with open(os.path.join(folder, "file%05d.bin" % i), "wb") as out:
        while size > 0:
            piece = pool[start:start + size]
            out.write(piece)
            size -= len(piece)
            start = 0
PY
mkdir -p "$tree/vexa"
cp "$build/bin/vexa" "$tree/vexa/vexa"
echo "tree: $(find "$tree" -type f | wc -l) files, $(du -sh "$tree" | cut -f1)"
find "$tree" -type f -print0 | xargs -0 cat > /dev/null  # both sides read from the page cache

seconds() { local start=$EPOCHREALTIME; "$@" > /dev/null; awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }'; }
best() { printf '%s\n' "$@" | sort -n | head -1; }
ours=(); single=(); pair=()
for round in 1 2 3; do
  ours+=("$(seconds "$tree/vexa/vexa" -g -q -f)")
  single+=("$(seconds sh -c "find '$tree' -type f -print0 | xargs -0 md5sum")")
  pair+=("$(seconds sh -c "find '$tree' -type f -print0 | xargs -0 -P2 -n256 md5sum")")
done
o=$(best "${ours[@]}"); s=$(best "${single[@]}"); p=$(best "${pair[@]}")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "cores: $(nproc), entries listed: $(grep -c '<File>' "$tree/vexa/filelist.xml")"
printf 'vexa -g -q                   %6.2f s\n' "$o"
printf 'find | xargs md5sum          %6.2f s   vexa/this %s (target <= 0.60)\n' "$s" "$(ratio "$o" "$s")"
printf 'find | xargs -P2 md5sum      %6.2f s   vexa/this %s (target <= 1.00)\n' "$p" "$(ratio "$o" "$p")"
