#!/usr/bin/env bash
# DownloadFiles against curl, both fetching the same URLs from a loopback nginx in
# one run: 2,000 files of 4 KiB, then one file of 512 MiB. curl gets every URL of a
# case in one process, so it reuses its connection as DownloadFiles does. Both are
# timed the same way: a whole process that reads its prepared list and fetches every
# file into a fresh folder. DownloadFiles also verifies every file, so the fair
# reference is curl followed by md5sum of what it fetched, timed as one; the ratio to
# curl alone is printed beside it. Each side runs twice, alternating; the better
# time counts. Targets: DownloadFiles >= 0.8x curl on the small files, and >= 1.3x
# curl + md5sum on the large one.
# Usage: bench/download_files.sh [build folder]   (default: build/release)
set -euo pipefail
source "$(dirname "$0")/../scripts/local-nginx.sh"
build=$(cd "${1:-build/release}" && pwd)
local_nginx_workspace vexa-download-bench

mkdir -p "$work/site/small" "$work/site/big" "$work/bin"
python3 - "$work/site/small" <<'PY'
import os, sys
for i in range(2000):
    with open(os.path.join(sys.argv[1], f"f{i:04d}.bin"), "wb") as f:
        f.write(os.urandom(4096))
PY
head -c 512M /dev/urandom > "$work/site/big/big.bin"

port=$(free_loopback_port 18200 18300)
start_local_nginx "$work" "$port" "access_log off; sendfile on; keepalive_requests 100000;"

# The program's log goes beside it, so it runs from a copy in the work folder.
cp "$build/bin/download_files" "$work/bin/"
base="http://127.0.0.1:$port"

lists() {  # lists <case>: the file list for DownloadFiles and the config for curl, untimed
  "$work/bin/download_files" list "$work/site/$1" "$work/$1.xml"
  for f in "$work/site/$1"/*; do
    name=$(basename "$f")
    printf 'url = "%s/%s/%s"\noutput = "%s/curl/%s"\n' "$base" "$1" "$name" "$work" "$name"
  done > "$work/$1.curl"
}
ours() {  # ours <case>: seconds
  rm -rf "$work/ours"
  local start end
  start=$EPOCHREALTIME
  # The script interface without a script draws nothing, as curl -s shows nothing.
  VEXA_UI=script "$work/bin/download_files" fetch "$work/$1.xml" "$base/$1" "$work/ours"
  end=$EPOCHREALTIME
  python3 -c "print($end - $start)"
}
theirs() {  # theirs <case>: "<curl seconds> <curl + md5sum seconds>"
  rm -rf "$work/curl" && mkdir -p "$work/curl"
  local start fetched end
  start=$EPOCHREALTIME
  curl -s -f -K "$work/$1.curl"
  fetched=$EPOCHREALTIME
  find "$work/curl" -type f -print0 | xargs -0 md5sum > /dev/null
  end=$EPOCHREALTIME
  python3 -c "print($fetched - $start, $end - $start)"
}
report() {  # report <case> <label> <target: curl or verified> <target ratio>
  local a b c d
  lists "$1"
  a=$(ours "$1"); b=$(theirs "$1"); c=$(ours "$1"); d=$(theirs "$1")
  rm -rf "$work/ours" "$work/curl"
  python3 - "$2" "$3" "$4" "$a" $b "$c" $d <<'PY'
import sys
label, target, goal = sys.argv[1:4]
a, b, bv, c, d, dv = map(float, sys.argv[4:])
ours, curl, verified = min(a, c), min(b, d), min(bv, dv)
print(f"{label:16} DownloadFiles {ours:7.3f} s   curl {curl:7.3f} s   curl + md5sum {verified:7.3f} s")
print(f"{'':16} speed ratio to curl {curl / ours:5.2f}" + (f" (target >= {goal})" if target == "curl" else ""),
      f"  to curl + md5sum {verified / ours:5.2f}" + (f" (target >= {goal})" if target == "verified" else ""))
PY
}

cat "$work/site/big/big.bin" > /dev/null  # both sides read the site from the page cache
report small "2,000 x 4 KiB" curl 0.80
report big "1 x 512 MiB" verified 1.30
