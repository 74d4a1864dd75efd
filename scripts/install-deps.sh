#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev zlib1g-dev liblog4cplus-dev libtinyxml2-dev
  libsodium-dev libzstd-dev nginx-light xdelta3 curl openssl
  pkgconf dpkg-dev file
  libgtk-3-dev fonts-wqy-microhei
  xvfb dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0 gir1.2-gtk-3.0
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
