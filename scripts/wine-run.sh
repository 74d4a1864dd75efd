#!/usr/bin/env bash
# Runs a Windows program under wine64, headless and quiet. The wine prefix is
# $WINEPREFIX, else "wineprefix" in the build folder the program lies in (the folder
# holding CMakeCache.txt above it); it is created on first use, once even when several
# programs start together. The wine server stays up for a while after the last program
# ends: starting it and its services costs seconds, a program in a running one 0.1 s.
set -euo pipefail
wine=/usr/lib/wine/wine64
if [ -z "${WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$1")" && pwd)
  while [ "$dir" != / ] && [ ! -e "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ "$dir" = / ] && dir=$(pwd)
  WINEPREFIX=$dir/wineprefix
fi
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -e "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  flock "$WINEPREFIX/.init.lock" bash -c '[ -e "$WINEPREFIX/system.reg" ] || "$0" wineboot -i >/dev/null 2>&1' "$wine"
fi
/usr/lib/wine/wineserver -p 30 2>/dev/null || true
exec "$wine" "$@"
