#!/usr/bin/env bash
# The update run end to end under wine: nginx on a loopback port publishes versions,
# vexa.exe updates a client tree with a non-ASCII name, the script interface answers its
# questions and presses its buttons, and the sample client (as "mox.exe") reports how
# it was started. In turn: a forced update by file list cancelled during a download and
# resumed by the next run, which installs it with a backup and hands the new vexa.exe
# to the client; an optional update taken with the real dialogs on an Xvfb display,
# answered and watched by another process as a player would; a failed installation
# rolled back; the installer method. After each, the tree is compared by digest with
# what was published.
# Usage: update_run.sh <linux-build-dir> <windows-build-dir>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
windows=$(cd "$2" && pwd)
source "$root/scripts/local-nginx.sh"
source "$root/tests/windows/common.bash"

wine="$root/scripts/wine-run.sh"
# A prefix of its own: the single-instance mutex is shared by every program of a wine
# server, and other tests run vexa.exe in the build's prefix at the same time.
export WINEPREFIX="$windows/wineprefix-update-run"
local_nginx_workspace vexa-update-run
display_pid=""
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
  remove_local_nginx_workspace
}
trap cleanup EXIT
start_display "$work"

port=$(free_loopback_port 18600 18699)
config() { site_config "$port" "$@"; }  # config <version> <minimum version> [method]
site="$work/site/MOXUpdate/MOX"
mkdir -p "$site"
# Packs and installers come slowly past their first 256 KiB, so a scripted press
# catches them on their way.
start_local_nginx "$work" "$port" "log_format ranges '\$request \$status range=\$http_range';
  access_log $work/access.log ranges;
  map \$uri \$slow { ~(\\.pak|Installer\\.exe)\$ 256k; default 0; }
  limit_rate_after 256k;
  limit_rate \$slow;"

tree="$work/游戏 客户端"
module="$tree/vexa"
client_log="$work/client.log"

# publish <version> <minimum version> <folder>: the version's files are those of the
# folder; its list is written by the new updater in it, as a publisher does.
publish() {
  mkdir -p "$site/$1"
  cp -r "$3/." "$site/$1/"
  rm -f "$site/$1/vexa/filelist.xml"
  (cd "$site/$1/vexa" && "$wine" "$site/$1/vexa/vexa.exe" -g -q </dev/null >/dev/null)
  rm -rf "$site/$1/vexa/log"
  config "$1" "$2" > "$site/vexa.xml"
}

# digests <folder>: one line per file below it with its MD5, the updater's own records
# (configuration, lists, log, downloads) left out.
digests() {
  (cd "$1" && find . -path ./vexa/log -prune -o -path ./vexa/tempDownload -prune -o -type f \
    ! -name vexa.xml ! -name filelist.xml ! -name temp_downloadInfo.xml -print | LC_ALL=C sort | xargs -d '\n' md5sum)
}
same_tree() { diff <(digests "$1") <(digests "$tree"); }

# update <script>: vexa.exe update in the tree as the client's launcher starts it; its
# exit code. The started client's lines go to client.log.
update() {
  printf '%b' "$1" > "$work/ui.script"
  rm -f "$work/ui.jsonl"
  (cd "$module" && VEXA_UI=script VEXA_UI_SCRIPT="$(windows_path "$work/ui.script")" \
    VEXA_UI_LOG="$(windows_path "$work/ui.jsonl")" MOX_SAMPLE_CLIENT_LOG="$(windows_path "$client_log")" \
    timeout 180 "$wine" "$module/vexa.exe" update </dev/null >/dev/null 2>&1)
}
# client <lines>: true once the started programs reported exactly these lines (within
# a minute; a hand-over copies the whole updater first).
client() {
  local expected
  expected=$(printf '%b' "$1")
  for _ in $(seq 600); do
    [ "$(cat "$client_log" 2>/dev/null)" = "$expected" ] && return 0
    sleep 0.1
  done
  echo "client reported: $(cat "$client_log" 2>/dev/null)"
  return 1
}
in_transcript() { grep -qF "$1" "$work/ui.jsonl"; }
# update_on_desktop: vexa.exe update with its real windows on a player's Chinese
# system, while vexa-dialog-driver.exe answers and watches them; the updater's exit
# code. What the driver saw goes to driver.out.
update_on_desktop() {
  chinese_locale "$work"
  env "${chinese_env[@]}" timeout 120 "$wine" "$windows/bin/vexa-dialog-driver.exe" accept-update \
    </dev/null 2>/dev/null | tr -d '\r' >"$work/driver.out" &
  local driver=$! status=0
  (cd "$module" && env -u VEXA_UI "${chinese_env[@]}" MOX_SAMPLE_CLIENT_LOG="$(windows_path "$client_log")" \
    timeout 180 "$wine" "$module/vexa.exe" update </dev/null >/dev/null 2>&1) || status=$?
  wait "$driver" || true
  return "$status"
}
driven() { grep -qxF "$1" "$work/driver.out"; }
gone() { for name in "$@"; do [ ! -e "$module/$name" ] || { echo "left: $name"; return 1; }; done; }
logged_in() { iconv -f UTF-16 -t UTF-8 "$1/vexa/log/update.log" 2>/dev/null | grep -qF "$2"; }
not_logged_in() { ! logged_in "$@"; }

# Version 1.0.0 installed; the first programs in a new prefix wait for it to be made.
mkdir -p "$module/data"
mv "$module/data" "$tree/data"
cp "$windows/bin/vexa.exe" "$module/"
cp "$windows/bin/mox-sample-client.exe" "$tree/mox.exe"
echo "map of version 1.0.0" > "$tree/data/map.txt"
echo "unchanged" > "$tree/readme.txt"
config 1.0.0 0.0.0 > "$module/vexa.xml"
(cd "$module" && "$wine" "$module/vexa.exe" -g -q -s </dev/null >/dev/null)

# 1.1.0, forced: the map changes, a pack comes, the client and the updater are rebuilt.
v110="$work/1.1.0"
mkdir -p "$v110/vexa" "$v110/data"
cp "$tree/readme.txt" "$v110/"
echo "map of version 1.1.0" > "$v110/data/map.txt"
head -c 1048576 /dev/urandom > "$v110/data/big.pak"
{ cat "$windows/bin/mox-sample-client.exe"; echo "1.1.0"; } > "$v110/mox.exe"
{ cat "$windows/bin/vexa.exe"; echo "1.1.0"; } > "$v110/vexa/vexa.exe"
publish 1.1.0 1.1.0 "$v110"
installed=$(digests "$tree")

check "forced update cancelled during the pack (exit 0)" update 'press 1004 in 107 when 1007 >= 40\nyes\n'
check "cancel asked over the download dialog, then the download failed" in_transcript \
  '"text":"是否终止下载更新","style":4100,"answer":"yes","owner":107}'
check "the installed client started" client '-onlymain: started'
check "nothing installed" diff <(echo "$installed") <(digests "$tree")
partial=$(stat -c %s "$module/tempDownload/1.1.0/data/big.pak" 2>/dev/null || echo 0)
check "the partial pack is kept ($partial bytes)" test "$partial" -ge 400000 -a "$partial" -lt 1048576

rm -f "$client_log"
check "the next run installs 1.1.0 (exit 0)" update ''
check "the client finished the updater's hand-over" client '-updatevexa: 1.1.0: vexa.exe'
check "the pack was resumed from where it stopped" grep -q "GET /MOXUpdate/MOX/1.1.0/data/big.pak HTTP/1.1 206 range=bytes=$partial-" "$work/access.log"
check "the tree is 1.1.0, the new vexa.exe included" same_tree "$site/1.1.0"
check "configuration and list are 1.1.0's" cmp -s "$module/filelist.xml" "$site/1.1.0/vexa/filelist.xml"
check "no leftovers" gone backup tempDownload temp_downloadInfo.xml needupdate.txt
check "the updater left its own file to the hand-over" not_logged_in "$tree" "vexa/vexa.exe 成功"

# 1.2.0, optional, taken on the desktop; its new pack comes slowly enough to be seen.
v120="$work/1.2.0"
cp -r "$site/1.1.0" "$v120"
echo "map of version 1.2.0" > "$v120/data/map.txt"
head -c 1048576 /dev/urandom > "$v120/data/new.pak"
mkdir -p "$v120/新 文件夹" && echo "new" > "$v120/新 文件夹/说明.txt"
publish 1.2.0 1.0.0 "$v120"
rm -f "$client_log"
check "optional update taken on the desktop (exit 0)" update_on_desktop
cat "$work/driver.out"
check "the question was a real box, answered Yes with the mouse" driven "question=检测到有可用更新，是否立即下载并安装!"
check "the two-bar dialog showed the files coming" driven "file_bar_moved=1"
check "and closed once they had come" driven "download_ended=1"
check "the updated client started" client '-onlymain: started'
check "the tree is 1.2.0" same_tree "$site/1.2.0"
check "no leftovers" gone backup tempDownload temp_downloadInfo.xml needupdate.txt

# 1.3.0 cannot be installed: "readme.txt" is a file, so "readme.txt/x.dat" cannot be.
v130="$work/1.3.0"
cp -r "$site/1.2.0" "$v130"
echo "map of version 1.3.0" > "$v130/data/map.txt"
rm "$v130/readme.txt" && mkdir "$v130/readme.txt" && echo x > "$v130/readme.txt/x.dat"
publish 1.3.0 1.3.0 "$v130"
rm -f "$client_log"
check "failed installation (exit 0)" update ''
check "the failure was shown" in_transcript '"text":"安装更新失败","style":4096,"answer":"ok","owner":0}'
check "the old client started" client '-onlymain: started'
check "the tree is back at 1.2.0" same_tree "$site/1.2.0"
check "no leftovers" gone backup tempDownload temp_downloadInfo.xml needupdate.txt

# 1.3.0 by the installer method: the updater fetches the installer and starts it.
config 1.3.0 1.3.0 Installer > "$site/vexa.xml"
{ cat "$windows/bin/mox-sample-installer.exe"; head -c 1048576 /dev/zero; } > "$site/1.3.0/MOXInstaller.exe"
rm -f "$client_log"
check "installer method (exit 0)" update ''
check "the installer started, and only it" client 'installer'
check "the installer arrived whole" cmp -s "$module/tempDownload/1.3.0/MOXInstaller.exe" "$site/1.3.0/MOXInstaller.exe"
check "the rest is left to the installer" same_tree "$site/1.2.0"

# A client told to take over while the updater still runs: the running vexa.exe cannot
# be replaced, so the client waits for it to end. Here the updater holds its failed
# check's box open for three seconds (nothing listens at its server's port).
handover="$work/交接 tree"
mkdir -p "$handover/vexa/tempDownload/1.1.0/vexa"
cp "$windows/bin/vexa.exe" "$handover/vexa/"
cp "$windows/bin/mox-sample-client.exe" "$handover/mox.exe"
cp "$site/1.1.0/vexa/vexa.exe" "$handover/vexa/tempDownload/1.1.0/vexa/"
printf '1.1.0\r\r\nvexa.exe\r\r\n' > "$handover/vexa/needupdate.txt"
config 1.0.0 0.0.0 | sed "s/:$port/:$(free_loopback_port 18700 18799)/" > "$handover/vexa/vexa.xml"
rm -f "$client_log"
module="$handover/vexa" update 'ok after 3000\n' &
updater_pid=$!
for _ in $(seq 200); do logged_in "$handover" 升级程序检测更新失败 && break; sleep 0.05; done
MOX_SAMPLE_CLIENT_LOG="$(windows_path "$client_log")" timeout 30 "$wine" "$handover/mox.exe" -updatevexa >/dev/null
wait "$updater_pid"
check "the hand-over waited for the running updater" grep -qx -- '-updatevexa: 1.1.0: vexa.exe' "$client_log"
check "and replaced it" cmp -s "$handover/vexa/vexa.exe" "$site/1.1.0/vexa/vexa.exe"

if [ "$failures" -ne 0 ]; then
  echo "the updater's log:"
  iconv -f UTF-16 -t UTF-8 "$module/log/update.log" || true
  echo "the last transcript:"
  cat "$work/ui.jsonl" || true
fi
[ "$failures" -eq 0 ]
