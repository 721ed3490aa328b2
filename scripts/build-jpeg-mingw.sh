#!/usr/bin/env bash
# Cross-builds Debian's own libjpeg-turbo source package for x86_64-w64-mingw32 (static, libjpeg 8
# interface, SIMD through nasm) into ~/.cache/vantle/libjpeg-turbo-<version>-mingw64. Built once per
# package version; prints the install prefix on its last line.
set -euo pipefail

version=$(dpkg-query -W -f='${Version}' libjpeg62-turbo-dev 2>/dev/null || true)
[ -n "$version" ] || version=$(apt-cache policy libjpeg-turbo-progs | awk '/Candidate:/ {print $2}')
key=$(echo "$version" | tr ':~+' '___')
cache=${VANTLE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vantle}
prefix="$cache/libjpeg-turbo-$key-mingw64"

if [ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/include/jpeglib.h" ]; then
  echo "$prefix"
  exit 0
fi

# apt-get source needs deb-src entries for the archive this machine already uses.
"$(dirname "$0")/ensure-deb-src.sh" libjpeg-turbo

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -q --download-only libjpeg-turbo >/dev/null && dpkg-source -x --skip-patches ./*.dsc src >/dev/null 2>&1 || dpkg-source -x ./*.dsc src >/dev/null)
srcdir="$work/src"

cat >"$work/toolchain.cmake" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
TC

cmake -S "$srcdir" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DWITH_JPEG8=ON -DWITH_SIMD=ON -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DCMAKE_ASM_NASM_COMPILER=nasm >"$work/configure.log" 2>&1 \
  || { cat "$work/configure.log"; exit 1; }
cmake --build "$work/build" -j2 >"$work/build.log" 2>&1 || { tail -50 "$work/build.log"; exit 1; }
rm -rf "$prefix"
cmake --install "$work/build" >/dev/null
echo "$prefix"
