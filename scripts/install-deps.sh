#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# With "windows": those of the Windows cross-build instead (scripts/build-windows.sh),
# and source entries for Debian's mirror when there are none, since the Windows
# dependencies are built from Debian's source packages.
set -euo pipefail

if [ "${1:-}" = windows ]; then
  packages=(
    cmake ninja-build pkgconf dpkg-dev autoconf automake libtool
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    libz-mingw-w64-dev wine64 xvfb fonts-wqy-microhei locales
  )
else
  packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libcurl4-openssl-dev zlib1g-dev liblog4cplus-dev libtinyxml2-dev
    libsodium-dev libzstd-dev nginx-light xdelta3 curl openssl
    pkgconf dpkg-dev file
    libgtk-3-dev fonts-wqy-microhei
    xvfb x11-utils dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0 gir1.2-gtk-3.0
  )
fi

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
needs_update=""
if [ "${1:-}" = windows ]; then
  if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    if [ -e /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $sudo tee /etc/apt/sources.list.d/vexa-debian-src.sources >/dev/null
    else
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $sudo tee /etc/apt/sources.list.d/vexa-debian-src.list >/dev/null
    fi
  fi
  apt-cache showsrc curl >/dev/null 2>&1 || needs_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && [ -z "$needs_update" ] && exit 0

$sudo apt-get update -qq
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
