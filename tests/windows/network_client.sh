#!/usr/bin/env bash
# A Windows game client (cquill-test-client.exe loading cquill.dll by name) against the
# Linux game server (cquill-test-server) over loopback: the exports bind, the fields
# frame, and in main-thread mode a chat line and a position go out and come back.
# Usage: network_client.sh <linux-build-dir> <windows-build-dir>
set -euo pipefail

linux_build=$(cd "$1" && pwd)
windows_build=$(cd "$2" && pwd)
export WINEPREFIX=${WINEPREFIX:-$windows_build/wineprefix}
runner=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-run.sh

work=$(mktemp -d)
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The server prints its port, then one line per event.
"$linux_build/bin/cquill-test-server" --pids 1001,1002 echo > "$work/server.out" 2>&1 &
server_pid=$!
for _ in $(seq 200); do [ -s "$work/server.out" ] && break; sleep 0.05; done
port=$(head -n 1 "$work/server.out")
[ -n "$port" ] || { echo "FAIL: the server did not start"; cat "$work/server.out"; exit 1; }

library="Z:${windows_build//\//\\}\\bin\\cquill.dll"
status=0
timeout 60 "$runner" "$windows_build/bin/cquill-test-client.exe" "$library" "$port" > "$work/client.out" 2>&1 ||
    status=$?
tr -d '\r' < "$work/client.out" > "$work/client.txt"
cat "$work/client.txt"

failed=0
expect() {
    grep -qF -- "$1" "$work/client.txt" || { echo "FAIL: the client did not print \"$1\""; failed=1; }
}
[ "$status" -eq 0 ] || { echo "FAIL: the client exited with $status"; failed=1; }
expect "ok registering a protocol again"
expect "ok both messages came back"
if grep -q FAILED "$work/client.txt"; then echo "FAIL: a check of the client failed"; failed=1; fi
grep -q '^received 1 ' "$work/server.out" || { echo "FAIL: the server received nothing"; failed=1; }
[ $failed -eq 0 ] && echo "network_client: ok"
exit $failed
