#!/usr/bin/env bash
# The Windows ZIP: makes it with CPack from the Windows build, checks that it holds the
# deliverables, and that every program and DLL in it imports only Windows' own DLLs or
# DLLs shipped in the ZIP, so it runs on a clean Windows as unpacked.
#   package.sh <linux-build-dir> <windows-build-dir>
set -euo pipefail
windows_build=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G ZIP --config "$windows_build/CPackConfig.cmake" -B "$work/out" >/dev/null)
zip=$(ls "$work"/out/*.zip)
mkdir "$work/root"
(cd "$work/root" && cmake -E tar xf "$zip")

status=0
for expected in vexa/vexa.exe vexa-sign.exe cquill.dll lib/cquill.dll.a include/cquill/cquill.h; do
  [ -f "$work/root/$expected" ] || { echo "missing from the ZIP: $expected"; status=1; }
done

system_dlls=" kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll shlwapi.dll
  ole32.dll oleaut32.dll advapi32.dll ws2_32.dll iphlpapi.dll crypt32.dll bcrypt.dll secur32.dll
  normaliz.dll wldap32.dll msvcrt.dll ntdll.dll version.dll "
shipped=" $(cd "$work/root" && find . -iname '*.dll' -printf '%f\n' | tr 'A-Z' 'a-z' | tr '\n' ' ') "
while IFS= read -r -d '' binary; do
  for dll in $(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    case "$system_dlls$shipped" in
      *" $dll "*) ;;
      *) echo "${binary#"$work/root/"} needs $dll, which is neither Windows' own nor in the ZIP"; status=1 ;;
    esac
  done
done < <(find "$work/root" \( -iname '*.exe' -o -iname '*.dll' \) -print0)
exit $status
