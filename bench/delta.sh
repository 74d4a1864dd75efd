#!/usr/bin/env bash
# Delta updates on generated data, in one run: a 256 MiB pack of alternately
# compressible (text) and incompressible (random) 64 KiB blocks, and its version B
# with 1 % changed in 50 places and 1 MiB inserted in the middle, the new content
# of the kind of the blocks it falls in, as an edited asset of a pack would be.
#  - patch size against the file (target <= 3 %) and against xdelta3's on the same
#    pair (target: no larger); also both sizes when every new byte is random, where
#    both formats must carry the new bytes as they are;
#  - time to make and to apply it against xdelta3's (target: apply >= 2x faster).
#    Applying with the updater includes the MD5 it checks the result by, so the
#    fair reference is xdelta3 followed by md5sum (both rebuild and verify); the
#    ratio to xdelta3 alone is printed too;
#  - bytes nginx served for the whole `vexa update` with the patch against the
#    plain update of the same change (target <= 5 %).
# Usage: bash bench/delta.sh [build folder]   (default: build/release)
set -euo pipefail
source "$(dirname "$0")/../scripts/local-nginx.sh"
build=$(cd "${1:-build/release}" && pwd)
local_nginx_workspace vexa-delta-bench

generate() {  # generate <new content: own|random> <old file> <new file>
  python3 - "$@" <<'PY'
import random, sys
rng = random.Random(7)
size, block = 256 << 20, 64 << 10
words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(3, 9))) for _ in range(500)]
def text(length):
    out = bytearray()
    while len(out) < length:
        out += rng.choice(words) + b" "
    return bytes(out[:length])
texts = [text(block) for _ in range(32)]
random_block = [i % 2 == 1 for i in range(size // block)]
def fresh(at, length):  # new content at `at`, of the kind of each block it covers
    if sys.argv[1] == "random":
        return rng.randbytes(length)
    out = bytearray()
    while len(out) < length:
        step = min(length - len(out), block - (at + len(out)) % block)
        out += rng.randbytes(step) if random_block[(at + len(out)) // block] else text(step)
    return bytes(out)
a = b"".join(rng.randbytes(block) if random_block[i] else rng.choice(texts) for i in range(size // block))
b = bytearray(a)
piece = size // 100 // 50
for at in sorted(rng.sample(range(0, size - piece, piece), 50)):
    b[at:at + piece] = fresh(at, piece)
b[size // 2:size // 2] = fresh(size // 2, 1 << 20)
open(sys.argv[2], "wb").write(a)
open(sys.argv[3], "wb").write(b)
PY
}
mkdir -p "$work/a" "$work/b"
generate own "$work/a/pack.pak" "$work/b/pack.pak"
old=$work/a/pack.pak new=$work/b/pack.pak
full=$(stat -c %s "$new")

# Each timed step writes new files, as the updater does (cutting down a file written
# before frees its blocks first: a tenth of a second for either side), and starts with
# nothing left to write back, so neither side pays for the other's output; applying
# runs three times per side and the fastest counts, since other work on a shared
# machine stretches single runs.
timed() {  # timed <command...>: runs it, prints its seconds, then its CPU seconds
  local TIMEFORMAT='%R %U %S'
  rm -f "$work/ours.out" "$work/xdelta.out"
  sync; { time "$@" > /dev/null; } 2>&1 | awk '{ printf "%.2f %.2f\n", $1, $2 + $3 }'
}
fastest() {  # fastest <command...>: the least seconds of three runs, with their CPU seconds
  for _ in 1 2 3; do timed "$@"; done | sort -g | head -1
}
peak_anon() {  # peak_anon <command...>: its peak anonymous memory in KiB (heap, stacks, zstd's tables)
  python3 - "$@" <<'PY'
import subprocess, sys, time
child = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL)
peak = 0
while child.poll() is None:
    try:
        with open(f"/proc/{child.pid}/status") as status:
            peak = max([peak] + [int(line.split()[1]) for line in status if line.startswith("RssAnon:")])
    except (FileNotFoundError, ProcessLookupError):
        pass
    time.sleep(0.002)
print(peak)
PY
}
ours_apply() { "$build/bin/delta_patch" apply "$old" "$work/pack.patch" "$work/ours.out" "$full"; }
xdelta_apply() { xdelta3 -d -f -s "$old" "$work/pack.vcdiff" "$work/xdelta.out"; }
xdelta_verified() { xdelta_apply && md5sum "$work/xdelta.out"; }
make=$(timed "$build/bin/delta_patch" make "$old" "$new" "$work/pack.patch" 9)
xmake=$(timed xdelta3 -e -f -s "$old" "$new" "$work/pack.vcdiff")
apply=$(fastest ours_apply) xapply=$(fastest xdelta_apply) xverified=$(fastest xdelta_verified)
memory=$(peak_anon "$build/bin/delta_patch" apply "$old" "$work/pack.patch" "$work/ours.out" "$full")
xmemory=$(peak_anon xdelta3 -d -f -s "$old" "$work/pack.vcdiff" "$work/xdelta.out")
cmp "$new" "$work/ours.out" && cmp "$new" "$work/xdelta.out"
ours=$(stat -c %s "$work/pack.patch") theirs=$(stat -c %s "$work/pack.vcdiff")
echo "patch of a 256 MiB pack, 1 % changed in 50 places, 1 MiB inserted:"
python3 - "$ours" "$theirs" "$full" $make $apply $xmake $xapply $xverified "$memory" "$xmemory" <<'PY'
import sys
ours, theirs, full = map(int, sys.argv[1:4])
make, make_cpu, apply, apply_cpu, xmake, xmake_cpu, xapply, xapply_cpu, xverified, xverified_cpu = map(float, sys.argv[4:14])
memory, xmemory = (int(kib) / 1024 for kib in sys.argv[14:16])
print(f"  size   zstd {ours:,} bytes = {100 * ours / full:.2f} % of the file (target <= 3 %);"
      f" xdelta3 {theirs:,} bytes; ratio {ours / theirs:.3f} (target <= 1)")
print(f"  make   zstd {make:.2f} s ({make_cpu:.2f} s CPU), xdelta3 {xmake:.2f} s ({xmake_cpu:.2f} s CPU);"
      f" ratio {make / xmake:.2f}")
print(f"  apply  zstd {apply:.2f} s ({apply_cpu:.2f} s CPU on two threads, with the MD5 the updater checks);"
      f" xdelta3 then md5sum {xverified:.2f} s ({xverified_cpu:.2f} s CPU): {xverified / apply:.2f}x faster"
      f" (target >= 2); xdelta3 alone {xapply:.2f} s ({xapply_cpu:.2f} s CPU, with its own Adler-32 checks):"
      f" {xapply / apply:.2f}x")
print(f"  memory to apply, peak anonymous: zstd {memory:.1f} MiB, xdelta3 {xmemory:.1f} MiB"
      " (the files' pages are the page cache's)")
PY
rm -f "$work/ours.out" "$work/xdelta.out" "$work/pack.vcdiff"

# The whole update, once with the deltas published and once without.
port=$(free_loopback_port 18300 18400)
site=$work/site/MOXUpdate/MOX
mkdir -p "$site/1.1.0/vexa"
cp "$new" "$site/1.1.0/pack.pak"
cat > "$site/vexa.xml" <<XML
<vexa><StartExecute>mox</StartExecute><MinVersion>1.1.0</MinVersion><SelfUrl>http://127.0.0.1:$port/MOXUpdate</SelfUrl><ProductCode>MOX</ProductCode><DownloadUrl>http://127.0.0.1:$port/MOXUpdate</DownloadUrl><UpdateMethod>filelist</UpdateMethod><CurVersion>1.1.0</CurVersion></vexa>
XML
start_local_nginx "$work" "$port" "log_format sent '\$request_uri \$status \$bytes_sent'; access_log $work/access.log sent;"
client() {  # client <folder> <pack>: a client tree of version 1.0.0 holding the pack
  mkdir -p "$1/vexa"
  cp "$build/bin/vexa" "$1/vexa/"
  cp "$2" "$1/pack.pak"
  printf '#!/bin/sh\n' > "$1/mox" && chmod +x "$1/mox"
  sed 's/<CurVersion>1.1.0/<CurVersion>1.0.0/; s/<MinVersion>1.1.0/<MinVersion>0.0.0/' "$site/vexa.xml" > "$1/vexa/vexa.xml"
  (cd "$1/vexa" && ./vexa -g -f -q -s)
}
client "$work/new-tree" "$new" && cp "$work/new-tree/vexa/filelist.xml" "$site/1.1.0/vexa/filelist.xml"
client "$work/old-tree" "$old"
"$build/bin/vexa-delta" --old "$work/old-tree" --new "$work/new-tree" --out "$site/1.1.0" --level 3 | sed 's/^/  vexa-delta: /'
served() {  # served <label>: runs an update of a fresh client tree, prints the bytes nginx sent
  rm -rf "$work/client" && client "$work/client" "$old" && : > "$work/access.log"
  (cd "$work/client/vexa" && VEXA_UI=script XDG_RUNTIME_DIR=$work ./vexa update)
  cmp "$new" "$work/client/pack.pak"
  awk '{ sum += $3 } END { print sum }' "$work/access.log"
}
with=$(served deltas)
mv "$site/1.1.0/vexa/deltas.xml" "$work/deltas.xml.off"
plain=$(served plain)
python3 - "$with" "$plain" <<'PY'
import sys
delta, plain = map(int, sys.argv[1:3])
print(f"vexa update: {delta:,} bytes served with deltas, {plain:,} without; {100 * delta / plain:.2f} % (target <= 5 %)")
PY

# The worst case for any format: every new byte random. Both must carry those bytes
# as they are; what differs is each format's own overhead.
generate random "$old" "$new"
"$build/bin/delta_patch" make "$old" "$new" "$work/pack.patch" 9
xdelta3 -e -f -s "$old" "$new" "$work/pack.vcdiff"
ours=$(stat -c %s "$work/pack.patch") theirs=$(stat -c %s "$work/pack.vcdiff")
echo "every new byte random: zstd $ours bytes, xdelta3 $theirs bytes; ratio $(python3 -c "print(f'{$ours / $theirs:.3f}')")"
