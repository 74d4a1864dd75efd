# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix thread model, so
# std::thread works) and runs the built programs under wine64.
#   -DVEXA_WINDOWS_DEPS=<prefix>  the dependencies built by scripts/windows-deps.sh
#                                 (default: the environment's VEXA_WINDOWS_DEPS, else
#                                 build/windows-deps of this checkout)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_host x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_host}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_host}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_host}-windres)

get_filename_component(vexa_source_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
if(NOT VEXA_WINDOWS_DEPS)
  if(DEFINED ENV{VEXA_WINDOWS_DEPS})
    set(VEXA_WINDOWS_DEPS $ENV{VEXA_WINDOWS_DEPS})
  else()
    set(VEXA_WINDOWS_DEPS ${vexa_source_root}/build/windows-deps)
  endif()
endif()
set(VEXA_WINDOWS_DEPS ${VEXA_WINDOWS_DEPS} CACHE PATH "Prefix of the Windows dependencies")

set(CMAKE_FIND_ROOT_PATH ${VEXA_WINDOWS_DEPS} /usr/${mingw_host})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config reads only the prefix's and the MinGW zlib's files, never the host's.
set(ENV{PKG_CONFIG_LIBDIR} "${VEXA_WINDOWS_DEPS}/lib/pkgconfig:/usr/${mingw_host}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# The MinGW runtime (libgcc, libstdc++, winpthread) goes into every program and DLL, so
# they need nothing beside them on a clean Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# CTest (and test discovery) start the programs through wine, with a wine prefix of the
# build folder's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${vexa_source_root}/scripts/wine-run.sh)

# zlib from Debian's MinGW package, linked in rather than shipped as a DLL.
set(ZLIB_USE_STATIC_LIBS ON)
