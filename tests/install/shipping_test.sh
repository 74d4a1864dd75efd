#!/usr/bin/env bash
# What a game studio gets, built against as an outsider would:
#   shipping_test.sh install  <build folder> <example client source>
#     `cmake --install` into a temporary prefix; the example client is built through
#     find_package(cquill) and through pkg-config, and exchanges a message with the
#     test game server.
#   shipping_test.sh packages <build folder> <example client source>
#     the Debian packages are made, checked, unpacked, and the example client is built
#     against the unpacked tree.
set -euo pipefail
check=$1 build=$2 example=$3
work=$(mktemp -d)

fail() { echo "FAIL: $*" >&2; exit 1; }

# The test game server echoes the example client's messages.
"$build/bin/cquill-test-server" --pids 7 echo >"$work/server.out" &
server=$!
trap 'kill $server; rm -rf "$work"' EXIT
for _ in $(seq 500); do port=$(head -n 1 "$work/server.out"); [ -n "$port" ] && break; sleep 0.01; done
[ -n "$port" ] || fail "the test server gave no port"

# The example client through find_package against <prefix>; it must load the
# library from that prefix.
find_package_client() {
  local prefix=$1 libdir=$2 out=$work/find_package
  rm -rf "$out"
  cmake -S "$example" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
  cmake --build "$out" >/dev/null
  ldd "$out/cquill-client" | grep >/dev/null "=> $libdir/libcquill.so.2 " || fail "find_package client loads another libcquill"
  run_client "$out/cquill-client" "$libdir"
}

# The client prints the library's version, which must be the SONAME's.
run_client() {
  local client=$1 libdir=$2 version
  version=$("$client" "$port" | sed -n 's/^cquill //p')
  [ -n "$version" ] || fail "$client did not run to its end"
  objdump -p "$libdir/libcquill.so.$version" | grep -E >/dev/null "SONAME +libcquill\.so\.$version$" \
    || fail "SONAME differs from GetNetworkDLLVersion() = $version"
}

case $check in
install)
  prefix=$work/prefix
  cmake --install "$build" --prefix "$prefix" >/dev/null
  [ -x "$prefix/bin/vexa" ] && [ -x "$prefix/bin/vexa-sign" ] && [ -x "$prefix/bin/vexa-delta" ] \
    || fail "no bin/vexa, bin/vexa-sign or bin/vexa-delta"
  # The updater runs where there is no toolkit: only its desktop module links GTK.
  ldd "$prefix/bin/vexa" | grep -q 'libgtk\|libgdk' && fail "vexa links GTK"
  # Not piped into grep -q: ldd killed by the closed pipe would fail the check.
  [[ "$(ldd "$prefix/lib/vexa/libvexa-ui-desktop.so")" == *libgtk-3* ]] || fail "no desktop module in lib/vexa"
  [ "$("$prefix/bin/vexa" --version)" = "vexa $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ] \
    || fail "installed vexa reports another version"
  [ "$(readlink "$prefix/lib/libcquill.so")" = libcquill.so.2 ] || fail "libcquill.so does not name the SONAME"
  [[ "$(readlink "$prefix/lib/libcquill.so.2")" =~ ^libcquill\.so\.2\.[0-9]+\.[0-9]+$ ]] || fail "no versioned libcquill"

  # Every installed header compiles on its own.
  for header in "$prefix"/include/cquill/*.h; do
    echo "#include <cquill/${header##*/}>" | c++ -std=c++20 -Wall -Wextra -Werror -fsyntax-only \
      -I"$prefix/include" -x c++ - || fail "${header##*/} does not compile on its own"
  done

  find_package_client "$prefix" "$prefix/lib"

  export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig
  # shellcheck disable=SC2046 # the flags are separate words
  c++ -std=c++20 "$example/main.cpp" -o "$work/pkg-config-client" $(pkg-config --cflags --libs cquill) \
    -Wl,-rpath,"$(pkg-config --variable=libdir cquill)"
  run_client "$work/pkg-config-client" "$prefix/lib"
  ;;
packages)
  cpack --config "$build/CPackConfig.cmake" -B "$work/debs" >/dev/null
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  for deb in "$work"/debs/*.deb; do dpkg-deb -x "$deb" "$work/tree"; done
  deb() { echo "$work/debs/$1_${version}_$(dpkg --print-architecture).deb"; }
  contents() { dpkg-deb -c "$(deb "$1")" | awk '{print $6}' | grep -v '/$' | sort | tr '\n' ' '; }

  [ "$(contents vexa)" = "./usr/bin/vexa ./usr/bin/vexa-delta ./usr/bin/vexa-sign " ] || fail "vexa holds: $(contents vexa)"
  [ "$(contents vexa-desktop)" = "./usr/lib/vexa/libvexa-ui-desktop.so " ] || fail "vexa-desktop holds: $(contents vexa-desktop)"
  dpkg-deb -f "$(deb vexa)" Recommends | grep >/dev/null "vexa-desktop (= $version)" || fail "vexa does not recommend vexa-desktop"
  dpkg-deb -f "$(deb vexa-desktop)" Depends | grep >/dev/null 'libgtk-3-0' || fail "vexa-desktop does not depend on GTK"
  dpkg-deb -f "$(deb vexa)" Depends | grep >/dev/null 'libgtk' && fail "vexa depends on GTK"
  [[ "$(contents libcquill2)" =~ ^\./usr/lib/libcquill\.so\.2\ \./usr/lib/libcquill\.so\.2\.[0-9.]+\ $ ]] \
    || fail "libcquill2 holds: $(contents libcquill2)"
  for file in include/cquill/cquill.h lib/libcquill.so lib/cmake/cquill/cquillConfig.cmake \
              lib/cmake/cquill/cquillConfigVersion.cmake lib/pkgconfig/cquill.pc; do
    [[ " $(contents libcquill-dev)" == *" ./usr/$file "* ]] || fail "libcquill-dev lacks $file"
  done

  # Dependencies come from what the binaries link.
  dpkg-deb -f "$(deb vexa)" Depends | grep >/dev/null 'libcurl4.*libsodium' || fail "vexa does not depend on libcurl and libsodium"
  dpkg-deb -f "$(deb libcquill2)" Depends | grep >/dev/null 'zlib1g' || fail "libcquill2 does not depend on zlib"
  dpkg-deb -f "$(deb libcquill2)" Depends | grep >/dev/null 'liblog4cplus' || fail "libcquill2 does not depend on log4cplus"
  [ "$(dpkg-deb -f "$(deb libcquill-dev)" Depends)" = "libcquill2 (= $version)" ] || fail "libcquill-dev depends on the wrong library"
  dpkg-deb -I "$(deb libcquill2)" shlibs | grep >/dev/null '^libcquill 2 libcquill2' || fail "libcquill2 has no shlibs entry"

  find_package_client "$work/tree/usr" "$work/tree/usr/lib"
  ;;
*) fail "unknown check $check" ;;
esac
grep '^received' "$work/server.out" >/dev/null || fail "the test server received nothing"
echo "$check: ok"
