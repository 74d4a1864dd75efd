#!/usr/bin/env bash
# The demo of scripts/demo.sh with the Windows programs under wine: builds vexa.exe,
# vexa-sign.exe and the sample client for Windows, publishes a newer version on a local
# nginx (on the Linux side), lets the sample client's real window ask the updater
# whether an update exists, shows a tampered file refused, then updates the installed
# tree to the new version, the updater's own replacement handed over to the client.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/local-nginx.sh"
source "$root/scripts/demo-report.sh"
source "$root/tests/windows/common.bash"
export VEXA_WINDOWS_DEPS=${VEXA_WINDOWS_DEPS:-$root/build/windows-deps}
"$root/scripts/install-deps.sh" windows
"$root/scripts/windows-deps.sh"
"$root/scripts/install-deps.sh"  # nginx and Xvfb on the Linux side
build="$root/build/windows"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DVEXA_WINDOWS_DEPS="$VEXA_WINDOWS_DEPS" >/dev/null
cmake --build "$build" -j "$(nproc)" --target vexa vexa-sign mox-sample-client
echo "vexa.exe:      $build/bin/vexa.exe"
echo "vexa-sign.exe: $build/bin/vexa-sign.exe"

# A wine prefix of the demo's own, made on first use and kept for the next run.
export WINEPREFIX="$build/wineprefix-demo"
wine="$root/scripts/wine-run.sh"
local_nginx_workspace vexa-demo-windows
client_pid="" display_pid=""
cleanup() {
  [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null || true
  # The wine server ends before its display, or it keeps the dead one for the next run.
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
  remove_local_nginx_workspace
}
trap cleanup EXIT
sign() { "$wine" "$build/bin/vexa-sign.exe" "$@" </dev/null >/dev/null; }

port=$(free_loopback_port 18180 18280)
config() { site_config "$port" "$@"; }  # config <version> <minimum version> [method]

# A top-level window under wine needs a display: a virtual one of the demo's own.
/usr/lib/wine/wineserver -k 2>/dev/null || true
Xvfb -displayfd 3 -nolisten tcp 3>"$work/display" 2>/dev/null &
display_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"

echo
echo "== update server: nginx on 127.0.0.1:$port (Linux side) publishes version 1.1.0"
mkdir -p "$work/site/MOXUpdate/MOX" "$work/keys"
config 1.1.0 1.0.0 > "$work/site/MOXUpdate/MOX/vexa.xml"
echo "== the publisher signs it: vexa-sign.exe keygen, vexa-sign.exe sign (writes vexa.xml.sig beside it)"
sign keygen "$(windows_path "$work/keys")"
sign sign "$(windows_path "$work/keys/update.key")" "$(windows_path "$work/site/MOXUpdate/MOX/vexa.xml")"
start_local_nginx "$work" "$port" "access_log $work/access.log;"

game="$work/游戏 客户端"
echo "== installed client: version 1.0.0 in $game, the updater in $game/vexa"
mkdir -p "$game/vexa" "$game/data"
cp "$build/bin/vexa.exe" "$game/vexa/vexa.exe"
cp "$build/bin/mox-sample-client.exe" "$game/mox.exe"
echo "map of version 1.0.0" > "$game/data/map.txt"
echo "unchanged" > "$game/readme.txt"
config 1.0.0 0.0.0 > "$game/vexa/vexa.xml"
echo "   with the publisher's public key: $game/vexa/update.pub"
cp "$work/keys/update.pub" "$game/vexa/update.pub"

echo "== the game client opens its window \"MOX Demo\" (mox.exe under wine)"
# The first program of a new wine session waits for the session's services.
"$wine" "$game/mox.exe" >/dev/null 2>&1
"$wine" "$game/mox.exe" --title "MOX Demo" --seconds 300 > "$work/client.out" 2>&1 &
client_pid=$!
vexa() { (cd "$game/vexa" && "$wine" "$game/vexa/vexa.exe" "$@" </dev/null); }
received() {  # received <count>: true once the window printed that many messages
  for _ in $(seq 50); do [ "$(grep -c '^message=' "$work/client.out")" -ge "$1" ] && return 0; sleep 0.1; done
  return 1
}

echo "== vexa.exe checkupdate \"MOX Demo\""
# The window takes a moment to open under wine: until then the updater finds none.
for _ in $(seq 30); do
  sleep 1
  status=0
  vexa checkupdate "MOX Demo" || status=$?
  received 1 && break
done
echo "   exit code $status"
echo "== someone between server and player rewrites vexa.xml into a forced 9.9.9; vexa.exe checkupdate again"
config 9.9.9 9.9.9 > "$work/site/MOXUpdate/MOX/vexa.xml"
vexa checkupdate "MOX Demo" && echo "   exit code 0" || echo "   exit code $?"
received 2 || true

echo
echo "== the publisher builds version 1.1.0 (map changed, a pack added, the updater itself rebuilt),"
echo "   lists it with vexa.exe -g, signs the list and publishes a forced update"
ver="$work/site/MOXUpdate/MOX/1.1.0"
mkdir -p "$ver/vexa" "$ver/data"
cp "$game/mox.exe" "$game/readme.txt" "$ver/"
echo "map of version 1.1.0" > "$ver/data/map.txt"
head -c 200000 /dev/urandom > "$ver/data/new.pak"
{ cat "$build/bin/vexa.exe"; echo "rebuilt for 1.1.0"; } > "$ver/vexa/vexa.exe"
(cd "$ver/vexa" && "$wine" "$ver/vexa/vexa.exe" -g -q </dev/null)
rm -rf "$ver/vexa/log"
cat "$ver/vexa/filelist.xml"
sign sign "$(windows_path "$work/keys/update.key")" "$(windows_path "$ver/vexa/filelist.xml")"
config 1.1.0 1.1.0 > "$work/site/MOXUpdate/MOX/vexa.xml"
sign sign "$(windows_path "$work/keys/update.key")" "$(windows_path "$work/site/MOXUpdate/MOX/vexa.xml")"

echo "== the installed tree's own list (vexa.exe -g -s: the updater's folder left out)"
vexa -g -q -s
echo "== the tree before the update"
tree_digests "$game"

echo "== vexa.exe update (console dialogs; without a terminal each bar prints a line per ten per cent)"
export MOX_SAMPLE_CLIENT_LOG
MOX_SAMPLE_CLIENT_LOG=$(windows_path "$work/client-start.log")
VEXA_UI=console vexa update && echo "   exit code 0" || echo "   exit code $?"
for _ in $(seq 200); do [ -s "$work/client-start.log" ] && break; sleep 0.1; done
echo "== the new client started and finished the updater's hand-over (a running vexa.exe cannot be"
echo "   overwritten on Windows: the client replaces it once the updater has ended):"
cat "$work/client-start.log"
echo "== the tree after the update (compare with the published list above)"
tree_digests "$game"

demo_outcome "$game"
