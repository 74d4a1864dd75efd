#!/usr/bin/env bash
# The updater's two-bar dialog as a real Win32 dialog under wine, on an Xvfb display of
# its own (wine makes no top-level window without one): vexa-dialog-probe.exe shows it
# with made-up progress through the desktop backend, and vexa-dialog-driver.exe, a
# separate process, finds it by its title, reads its labels and bars from the controls,
# photographs it, presses "取消" and answers the question with Yes.
# Usage: desktop_dialogs.sh <linux-build-dir> <windows-build-dir>
#   VEXA_SAVE_IMAGES=<folder> keeps the photograph there as windows-download-files.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
windows=$(cd "$2" && pwd)
source "$root/tests/windows/common.bash"
wine="$root/scripts/wine-run.sh"
# A prefix of its own, whose wine server is bound to this test's display.
export WINEPREFIX="$windows/wineprefix-dialogs"
work=$(mktemp -d)
probe_pid="" display_pid=""
cleanup() {
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null || true
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

seen() { grep -qxF "$1" "$work/driver.out"; }

command -v Xvfb >/dev/null || { echo "skip: Xvfb is not installed"; exit 0; }
start_display "$work"
unset VEXA_UI WAYLAND_DISPLAY
# A Chinese system, as a player's is (the dialogs' font then has the characters), and
# window frames drawn by wine itself, since Xvfb has no window manager to draw them.
chinese_locale "$work"
export "${chinese_env[@]}"
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

# Three files of 100 steps, 40 ms a step: the driver acts while the second one runs.
"$wine" "$windows/bin/vexa-dialog-probe.exe" files 3 100 1 40 >"$work/probe.out" 2>/dev/null &
probe_pid=$!
timeout 120 "$wine" "$windows/bin/vexa-dialog-driver.exe" cancel-files "$(windows_path "$work/files.bmp")" \
  2>/dev/null | tr -d '\r' >"$work/driver.out" || true
probe_status=0
timeout 60 tail --pid="$probe_pid" -f /dev/null || true
wait "$probe_pid" || probe_status=$?
probe_pid=""
cat "$work/driver.out"

check "the dialog was found by its title and read while the second file ran" seen "under_way=1"
check "title" seen "title=下载文件"
check "the name label keeps its template text" seen "name_label=已下载..."
check "the file label shows the second file's percentage" grep -qE '^file_label=[3-4][0-9] %$' "$work/driver.out"
check "button" seen "button=取消"
check "bars read from the controls" grep -qE '^total_bar=3[3-9]$' "$work/driver.out"
check "the file bar started again from the bottom for the second file" grep -qE '^file_bar=[2-4][0-9]$' "$work/driver.out"
check "the question asks about the download" seen "question=是否终止下载更新"
check "the question is owned by the dialog" seen "owned_by_dialog=1"
check "the transfer waits while the question is open" seen "paused=1"
check "Yes ends the dialog" seen "ended=1"
check "the probe saw the cancel" grep -q '^cancelled' "$work/probe.out"
check "the probe exits with 3 after a cancel" test "$probe_status" = 3
check "the photograph shows a drawn dialog" python3 "$root/scripts/bmp-to-png.py" "$work/files.bmp" "$work/files.png"
if [ -n "${VEXA_SAVE_IMAGES:-}" ] && [ -s "$work/files.png" ]; then
  mkdir -p "$VEXA_SAVE_IMAGES" && cp "$work/files.png" "$VEXA_SAVE_IMAGES/windows-download-files.png"
fi
[ "$failures" = 0 ]
