#!/usr/bin/env bash
# A game client (tools/cquill-test-client: built from the public header alone, loading
# libcquill.so with dlopen) exchanges messages with the test game server on a free
# loopback port, then shows what the server saw.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/release"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target cquill cquill-test-server cquill-test-client >/dev/null

events=$(mktemp)
server=
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -f "$events"' EXIT
"$build/bin/cquill-test-server" --pids 1001,1002 echo >"$events" &
server=$!
while [ ! -s "$events" ]; do sleep 0.05; done
port=$(head -n 1 "$events")

echo "--- the client (main-thread mode, 127.0.0.1:$port)"
"$build/bin/cquill-test-client" "$build/lib/libcquill.so" "$port"
sleep 0.2
echo "--- the server"
tail -n +2 "$events"
