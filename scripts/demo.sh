#!/usr/bin/env bash
# The demo: builds the updater, publishes a newer version on a local nginx, lets a
# stand-in for the running game client ask the updater whether an update exists,
# shows a tampered file refused, then updates the installed tree to the new version.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/local-nginx.sh"
source "$root/scripts/demo-report.sh"
"$root/scripts/install-deps.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target vexa vexa-sign mox-sample-client cquill
echo "vexa:        $build/bin/vexa"
echo "libcquill:   $build/lib/libcquill.so"

work=$(mktemp -d)
nginx_pid="" client_pid=""
cleanup() {
  [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null || true
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

port=$(free_loopback_port 18080 18180)

config() { site_config "$port" "$@"; }  # config <version> <minimum version> [method]

echo
echo "== update server: nginx on 127.0.0.1:$port publishes version 1.1.0"
mkdir -p "$work/site/MOXUpdate/MOX"
config 1.1.0 1.0.0 > "$work/site/MOXUpdate/MOX/vexa.xml"
echo "== the publisher signs it: vexa-sign keygen, vexa-sign sign (writes vexa.xml.sig beside it)"
mkdir -p "$work/keys"
"$build/bin/vexa-sign" keygen "$work/keys" >/dev/null
"$build/bin/vexa-sign" sign "$work/keys/update.key" "$work/site/MOXUpdate/MOX/vexa.xml" >/dev/null
start_local_nginx "$work" "$port" "access_log $work/access.log;"

echo "== installed client: version 1.0.0 in $work/game, the updater in $work/game/vexa"
mkdir -p "$work/game/vexa" "$work/game/data"
cp "$build/bin/vexa" "$work/game/vexa/vexa"
cp "$build/bin/mox-sample-client" "$work/game/mox.exe"
echo "map of version 1.0.0" > "$work/game/data/map.txt"
echo "unchanged" > "$work/game/readme.txt"
config 1.0.0 0.0.0 > "$work/game/vexa/vexa.xml"
echo "   with the publisher's public key: $work/game/vexa/update.pub"
cp "$work/keys/update.pub" "$work/game/vexa/update.pub"

# Windows and the single-instance lock of this demo stay in its own folder.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

echo "== the game client opens its window \"MOX Demo\""
"$build/bin/mox-sample-client" --title "MOX Demo" --seconds 30 > "$work/client.out" 2>&1 &
client_pid=$!
sleep 0.5

echo "== vexa checkupdate \"MOX Demo\""
"$work/game/vexa/vexa" checkupdate "MOX Demo" </dev/null
echo "   exit code $?"

echo "== someone between server and player rewrites vexa.xml into a forced 9.9.9; vexa checkupdate again"
config 9.9.9 9.9.9 > "$work/site/MOXUpdate/MOX/vexa.xml"
"$work/game/vexa/vexa" checkupdate "MOX Demo" </dev/null
echo "   exit code $?"
sleep 0.5

echo
echo "== the publisher builds version 1.1.0 (map changed, a pack added, the updater itself rebuilt),"
echo "   lists it with vexa -g, signs the list and publishes a forced update"
ver="$work/site/MOXUpdate/MOX/1.1.0"
mkdir -p "$ver/vexa" "$ver/data"
cp "$work/game/mox.exe" "$work/game/readme.txt" "$ver/"
echo "map of version 1.1.0" > "$ver/data/map.txt"
head -c 200000 /dev/urandom > "$ver/data/new.pak"
{ cat "$build/bin/vexa"; echo "rebuilt for 1.1.0"; } > "$ver/vexa/vexa"
chmod +x "$ver/vexa/vexa"
"$ver/vexa/vexa" -g -q </dev/null
cat "$ver/vexa/filelist.xml"
"$build/bin/vexa-sign" sign "$work/keys/update.key" "$ver/vexa/filelist.xml" >/dev/null
config 1.1.0 1.1.0 > "$work/site/MOXUpdate/MOX/vexa.xml"
"$build/bin/vexa-sign" sign "$work/keys/update.key" "$work/site/MOXUpdate/MOX/vexa.xml" >/dev/null

echo "== the installed tree's own list (vexa -g -s: the updater's folder left out)"
"$work/game/vexa/vexa" -g -q -s </dev/null
echo "== the tree before the update"
tree_digests "$work/game"

echo "== vexa update (console dialogs; without a terminal each bar prints a line per ten per cent)"
export MOX_SAMPLE_CLIENT_LOG="$work/client-start.log"
"$work/game/vexa/vexa" update </dev/null
echo "   exit code $?"
for _ in $(seq 100); do [ -s "$MOX_SAMPLE_CLIENT_LOG" ] && break; sleep 0.1; done
sleep 0.5
echo "== the new client started and finished the updater's hand-over:"
cat "$MOX_SAMPLE_CLIENT_LOG"
echo "== the tree after the update (compare with the published list above)"
tree_digests "$work/game"

demo_outcome "$work/game"
