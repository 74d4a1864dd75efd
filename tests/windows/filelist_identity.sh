#!/usr/bin/env bash
# The publisher's tool gives the same "filelist.xml", byte for byte, whether the Linux
# build or the Windows build (under wine) lists a tree; names outside ASCII included.
# Usage: filelist_identity.sh <linux-build-dir> <windows-build-dir>
set -euo pipefail

linux_build=$(cd "$1" && pwd)
windows_build=$(cd "$2" && pwd)
wine=${WINE:-/usr/lib/wine/wine64}
export WINEPREFIX=${WINEPREFIX:-$windows_build/wineprefix}
export WINEDEBUG=-all

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One client tree: folders, a name with an ampersand, Chinese and accented names, a
# name beyond the BMP, an empty file and one of a few hundred KiB.
make_tree() {
    local tree=$1
    mkdir -p "$tree/vexa" "$tree/data/maps" "$tree/数据/地图" "$tree/café"
    printf 'client' > "$tree/mox.exe"
    printf 'map' > "$tree/data/maps/a&b.map"
    printf '中文' > "$tree/数据/地图/第一关.map"
    printf 'accent' > "$tree/café/crème brûlée.txt"
    printf 'emoji' > "$tree/data/smile-😀.txt"
    : > "$tree/data/empty.bin"
    head -c 300000 /dev/zero | tr '\0' 'x' > "$tree/data/large.pak"
}

# Lists the tree into <tree>/vexa/filelist.xml; the updater's own folder is left out.
run_linux() {
    (cd "$1" && "$linux_build/bin/vexa" -g -s -q -f "$1/") > "$work/linux.out" 2>&1
}

run_windows() {
    # Wine's drive Z: is the Linux root.
    local folder="Z:${1//\//\\}"
    (cd "$1" && "$wine" "$windows_build/bin/vexa.exe" -g -s -q -f "$folder\\") > "$work/windows.out" 2>&1
}

make_tree "$work/linux"
make_tree "$work/windows"
run_linux "$work/linux" || { echo "vexa -g failed:"; cat "$work/linux.out"; exit 1; }
run_windows "$work/windows" || { echo "vexa.exe -g failed under wine:"; cat "$work/windows.out"; exit 1; }

if ! cmp "$work/linux/vexa/filelist.xml" "$work/windows/vexa/filelist.xml"; then
    diff "$work/linux/vexa/filelist.xml" "$work/windows/vexa/filelist.xml" || true
    echo "filelist.xml differs between the Linux and the Windows build"
    exit 1
fi
echo "filelist.xml identical ($(wc -c < "$work/linux/vexa/filelist.xml") bytes)"
