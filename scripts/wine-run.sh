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
exec "$wine" "$@"
