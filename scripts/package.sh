#!/usr/bin/env bash
# Builds the Windows program and packs it as build/dist/Vantle-<version>-win64.zip: Vantle.exe, its
# language modules, the compiled help and its plain pages, the plug-ins, vantle-cli.exe, a read-me,
# the licences of what is linked in, and a settings file that makes the copy portable.
# Usage: package.sh [--no-build]   (--no-build packs what build/windows and build/native hold)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" != "--no-build" ]; then
  bash scripts/setup.sh
  for preset in windows native; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
  done
fi

win=build/windows
cli=build/native/tools/vantle-cli
version=$(sed -n 's/^#define VANTLE_VERSION_TEXT "\(.*\)"$/\1/p' "$win/generated/VantleVersion.h")
[ -n "$version" ] || { echo "package: no version in $win/generated/VantleVersion.h" >&2; exit 1; }
name=Vantle-$version-win64
stage=build/dist/$name
rm -rf "$stage" "build/dist/$name.zip"
mkdir -p "$stage/Plugins" "$stage/Licences"

need() {
  for f in "$@"; do [ -e "$f" ] || { echo "package: missing $f" >&2; exit 1; }; done
}
need "$win/bin/Vantle.exe" "$win/bin/English.dll" "$win/bin/Deutsch.dll" "$win/bin/Vantle.chm" "$win/bin/Help" \
     "$win/tools/vantle-cli.exe" "$cli"
cp "$win/bin/Vantle.exe" "$win/bin/English.dll" "$win/bin/Deutsch.dll" "$win/bin/Vantle.chm" "$stage/"
cp -r "$win/bin/Help" "$stage/Help"
cp "$win/tools/vantle-cli.exe" "$stage/"
plugins=("$win"/bin/Plugins/*.sph)
need "${plugins[@]}"
cp "${plugins[@]}" "$stage/Plugins/"

# The licences a binary distribution must carry: libjpeg-turbo's (with the IJG notices) from the
# cross-built copy, zlib's and the mingw-w64 runtime's from their Debian packages.
jpeg=$(sed -n 's/^VANTLE_JPEG_PREFIX:PATH=//p' "$win/CMakeCache.txt")
need "$jpeg/share/doc/libjpeg-turbo/LICENSE.md" "$jpeg/share/doc/libjpeg-turbo/README.ijg"
cp "$jpeg/share/doc/libjpeg-turbo/LICENSE.md" "$stage/Licences/libjpeg-turbo-LICENSE.md"
cp "$jpeg/share/doc/libjpeg-turbo/README.ijg" "$stage/Licences/libjpeg-turbo-README.ijg"
cp /usr/share/doc/libz-mingw-w64-dev/copyright "$stage/Licences/zlib.txt"
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/Licences/mingw-w64-runtime.txt"
# The WebP plug-in carries libwebp: its licence and patent grant, as the plug-in's build took them
# from Debian's source package.
need "$win/bin/Plugins/licences/libwebp/COPYING" "$win/bin/Plugins/licences/libwebp/PATENTS"
cp "$win/bin/Plugins/licences/libwebp/COPYING" "$stage/Licences/libwebp-COPYING.txt"
cp "$win/bin/Plugins/licences/libwebp/PATENTS" "$stage/Licences/libwebp-PATENTS.txt"

# The read-me in Windows line endings; the settings file with the shipped plug-in folder.
sed "s/@VERSION@/$version/" packaging/windows/ReadMe.txt | sed 's/$/\r/' >"$stage/ReadMe.txt"
"$cli" settings "$stage/Vantle.ini" --set pluginFolder=Plugins --write >/dev/null

# One folder inside the zip; fixed times, so the same build packs the same bytes.
python3 - "$stage" "build/dist/$name.zip" <<'PY'
import os, sys, zipfile
stage, target = sys.argv[1:3]
root = os.path.basename(stage)
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for folder, dirs, files in os.walk(stage):
        dirs.sort()
        for f in sorted(files):
            path = os.path.join(folder, f)
            info = zipfile.ZipInfo(os.path.join(root, os.path.relpath(path, stage)), (2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            with open(path, "rb") as data:
                z.writestr(info, data.read())
PY
echo "build/dist/$name.zip"
