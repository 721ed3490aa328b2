#!/usr/bin/env bash
# Cross-builds Debian's own libwebp source package (its security patches applied) for
# x86_64-w64-mingw32: static libwebp and libwebpdemux, no tools, into
# ~/.cache/vantle/libwebp-<version>-mingw64, beside the cross-built libjpeg-turbo. The package's
# licence files (COPYING, PATENTS) go to <prefix>/share/licences/ for the Windows package. Built once
# per package version; prints the install prefix on its last line.
set -euo pipefail

version=$(dpkg-query -W -f='${Version}' libwebp-dev 2>/dev/null || true)
[ -n "$version" ] || version=$(apt-cache policy libwebp-dev | awk '/Candidate:/ {print $2}')
key=$(echo "$version" | tr ':~+' '___')
cache=${VANTLE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vantle}
prefix="$cache/libwebp-$key-mingw64"

if [ -f "$prefix/lib/libwebp.a" ] && [ -f "$prefix/lib/libwebpdemux.a" ] && [ -f "$prefix/include/webp/demux.h" ] &&
   [ -f "$prefix/share/licences/COPYING" ] && [ -f "$prefix/share/licences/PATENTS" ]; then
  echo "$prefix"
  exit 0
fi

# apt-get source needs deb-src entries for the archive this machine already uses.
"$(dirname "$0")/ensure-deb-src.sh" libwebp

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Debian's patches carry the security fixes (CVE-2023-4863 among them): never skip them here.
(cd "$work" && apt-get source -q --download-only libwebp >/dev/null && dpkg-source -x ./*.dsc src >/dev/null)
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

tools=()
for t in ANIM_UTILS CWEBP DWEBP GIF2WEBP IMG2WEBP VWEBP WEBPINFO LIBWEBPMUX WEBPMUX EXTRAS; do
  tools+=("-DWEBP_BUILD_$t=OFF")
done
cmake -S "$srcdir" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "${tools[@]}" >"$work/configure.log" 2>&1 \
  || { cat "$work/configure.log"; exit 1; }
cmake --build "$work/build" -j2 >"$work/build.log" 2>&1 || { tail -50 "$work/build.log"; exit 1; }
rm -rf "$prefix"
cmake --install "$work/build" >/dev/null
mkdir -p "$prefix/share/licences"
cp "$srcdir/COPYING" "$srcdir/PATENTS" "$prefix/share/licences/"
echo "$prefix"
