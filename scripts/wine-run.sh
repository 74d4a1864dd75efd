#!/usr/bin/env bash
# Runs a Windows program under wine64, headless and quiet. The wine prefix is
# $WINEPREFIX, else "wineprefix" in the build folder the program lies in (the folder
# holding CMakeCache.txt above it); it is created on first use, once even when several
# programs start together.
set -euo pipefail
wine=/usr/lib/wine/wine64
if [ -z "${WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$1")" && pwd)
  while [ "$dir" != / ] && [ ! -e "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ "$dir" = / ] && dir=$(pwd)
  WINEPREFIX=$dir/wineprefix
fi
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# The registry reaches the prefix's files only when the server ends: mark a finished
# creation with a file of our own.
if [ ! -e "$WINEPREFIX/.created" ]; then
  mkdir -p "$WINEPREFIX"
  flock -o "$WINEPREFIX/.create.lock" bash -c \
    '[ -e "$WINEPREFIX/.created" ] || { "$0" wineboot -i >/dev/null 2>&1 && touch "$WINEPREFIX/.created"; }' "$wine"
fi
# A new wine session starts its system services from its first program, and they would
# keep that program's output open (a caller reading it would wait for them): start the
# session here, detached, and let it linger 30 s after its last program, so later
# programs start in a running one (0.1 s instead of seconds).
flock -o "$WINEPREFIX/.session.lock" bash -c \
  '! /usr/lib/wine/wineserver -p 30 </dev/null >/dev/null 2>&1 || "$0" wineboot </dev/null >/dev/null 2>&1' "$wine"
# The test servers, nginx and openssl run on the Linux side (wine would start them but
# give the program neither their handle nor their output): a relay beside the program
# starts them on its behalf, the test servers from the Linux build's bin folder
# ($VEXA_LINUX_BIN, else build/release/bin beside this build folder), and ends with this
# script, its standard input.
linux_bin=${VEXA_LINUX_BIN:-$(dirname "$WINEPREFIX")/../release/bin}
relay=$(dirname "$0")/../tests/support/server_relay.py
if [ -z "${VEXA_TEST_SERVER_RELAY:-}" ]; then
  coproc RELAY { exec python3 "$relay" "$linux_bin"; }
  read -r VEXA_TEST_SERVER_RELAY <&"${RELAY[0]}"
  export VEXA_TEST_SERVER_RELAY
  status=0
  relay_out=${RELAY[0]} relay_in=${RELAY[1]}
  "$wine" "$@" {relay_out}<&- {relay_in}>&- || status=$?
  exit $status
fi
exec "$wine" "$@"
