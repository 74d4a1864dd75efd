#!/usr/bin/env bash
# Builds the Windows dependencies from Debian's own source packages into one prefix,
# static libraries only, so the programs and the DLL carry them inside. Each dependency
# is built once: a stamp in the prefix marks it done, and a later run skips it.
#   VEXA_WINDOWS_DEPS  the prefix (default: build/windows-deps of this checkout)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${VEXA_WINDOWS_DEPS:-$root/build/windows-deps}
work=$prefix/work
host=x86_64-w64-mingw32
jobs=$(nproc)
toolchain=$root/cmake/mingw-w64-x86_64.cmake
mkdir -p "$prefix/stamps" "$work"

# Unpacks Debian's source of $1 (with Debian's patches applied) and prints its folder.
debian_source() {
  local dir
  dir=$(find "$work" -maxdepth 1 -type d -name "$1-[0-9]*" | head -n 1)
  if [ -z "$dir" ]; then
    (cd "$work" && apt-get source -qq "$1" >/dev/null)
    dir=$(find "$work" -maxdepth 1 -type d -name "$1-[0-9]*" | head -n 1)
  fi
  echo "$dir"
}

# Configures, builds and installs a CMake project found at $1 into the prefix.
cmake_install() {
  local source=$1 build=$work/build-$2; shift 2
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DVEXA_WINDOWS_DEPS="$prefix" "$@" >/dev/null
  cmake --build "$build" -j "$jobs" >/dev/null
  cmake --install "$build" >/dev/null
}

build_googletest() {
  cmake_install "$(debian_source googletest)" googletest -DBUILD_GMOCK=ON
}

build_libsodium() {
  local source build=$work/build-libsodium
  source=$(debian_source libsodium)
  # Debian's source comes without the generated configure script.
  [ -x "$source/configure" ] || (cd "$source" && autoreconf -fi >/dev/null 2>&1)
  mkdir -p "$build"
  (cd "$build" && "$source/configure" --host=$host --prefix="$prefix" --disable-shared --enable-static \
     --disable-dependency-tracking CC=$host-gcc-posix CFLAGS="-O2" >/dev/null && make -j "$jobs" >/dev/null && make install >/dev/null)
}

build_zstd() {
  cmake_install "$(debian_source libzstd)/build/cmake" zstd -DZSTD_BUILD_PROGRAMS=OFF \
    -DZSTD_BUILD_TESTS=OFF -DZSTD_BUILD_SHARED=OFF -DZSTD_BUILD_STATIC=ON
}

# Narrow strings, as on Linux: the library passes UTF-8 to it. No thread pool (it only
# serves asynchronous appenders, which then append at once): linked into cquill.dll it
# would start with the library's loading and stop with its unloading, under the
# loader lock, where its threads can neither start nor end; an unload soon after a load
# would hang, a later one crash in a stopping thread, and the process end would wait
# for threads already gone.
build_log4cplus() {
  cmake_install "$(debian_source log4cplus)" log4cplus -DUNICODE=OFF -DLOG4CPLUS_BUILD_TESTING=OFF \
    -DLOG4CPLUS_BUILD_LOGGINGSERVER=OFF -DWITH_UNIT_TESTS=OFF -DLOG4CPLUS_ENABLE_DECORATED_LIBRARY_NAME=OFF \
    -DWITH_ICONV=OFF -DLOG4CPLUS_ENABLE_THREAD_POOL=OFF
}

# Windows' own TLS (Schannel) and zlib from Debian's MinGW package; nothing else.
build_curl() {
  cmake_install "$(debian_source curl)" curl -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF \
    -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF -DUSE_NGHTTP2=OFF -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF \
    -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DCURL_USE_LIBPSL=OFF -DCURL_DISABLE_LDAP=ON -DENABLE_UNICODE=ON \
    -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DCURL_ZLIB=ON -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none
}

for dep in googletest libsodium zstd log4cplus curl; do
  [ -e "$prefix/stamps/$dep" ] && continue
  echo "=== windows dependency $dep"
  start=$SECONDS
  "build_$dep"
  touch "$prefix/stamps/$dep"
  echo "    $dep: $((SECONDS - start)) s"
done
