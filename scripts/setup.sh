#!/usr/bin/env bash
# Installs everything the build, the tests and Wine need on a Debian 12 machine, and cross-builds
# libjpeg-turbo and libwebp for Windows once into a cache outside the clone. Idempotent; run as root
# (or with sudo).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

packages=(
  cmake ninja-build g++ pkg-config git ca-certificates
  zlib1g-dev libjpeg62-turbo-dev googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev nasm
  wine64 xvfb xdotool x11-apps imagemagick libjpeg-turbo-progs libimage-exiftool-perl python3
  libvips-tools time
  netpbm libwebp-dev webp
  dpkg-dev man-db
  fp-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

"$here/build-jpeg-mingw.sh"
"$here/build-webp-mingw.sh"
# PngSuite for the PNG conformance test, into the same cache; the test skips when it is missing.
"$here/fetch-pngsuite.sh" >/dev/null || echo "setup: PngSuite could not be fetched; its conformance test will skip"
