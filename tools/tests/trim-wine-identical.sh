#!/usr/bin/env bash
# vantle-cli.exe under Wine and the native vantle-cli give byte-identical BMP, TIFF and PNG outputs
# for the same input and options (filters 0 to 2; filter 3 is the system's halftone stretch), also
# from sources carrying a colour profile; and
# the Windows exe with several jobs writes what it writes with one, the halftone stretch included.
# Arguments: the Wine runner, the Windows exe, the native vantle-cli (skipped, 77, when not built).
set -euo pipefail
wine_run="$1"
exe="$2"
native="$3"
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$native" ] || { echo "native vantle-cli not built: $native"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The input is a BMP, so no JPEG decoder difference can creep in.
"$native" sample sample.jpg >/dev/null
"$native" decode sample.jpg in.bmp

formats="bmp tiff"
# The PNG writer may not be in this build yet.
"$native" trim --format png in.bmp -o probe.png >/dev/null 2>&1 && formats="$formats png"

status=0
for filter in 0 1 2; do
  for format in $formats; do
    # A perspective, sharpen and levels run, and a plain rectangle run.
    for variant in quad rect; do
      if [ $variant = quad ]; then
        opts=(--quad 40,30,1560,0,0,1199,1500,1150 --sharpen --levels --size 300x200)
      else
        opts=(--rect 101,57,1300,0 --size 640x480 --subsampling 1)
      fi
      name=f${filter}-${variant}.${format}
      "$native" trim --filter $filter --format $format "${opts[@]}" in.bmp -o native-$name >/dev/null
      "$wine_run" "$exe" trim --filter $filter --format $format "${opts[@]}" in.bmp -o wine-$name >/dev/null
      if cmp -s native-$name wine-$name; then
        echo "same: $name"
      else
        echo "DIFFERENT: $name"
        status=1
      fi
    done
  done
done
# Sources carrying a colour profile (embedded by ImageMagick): the TIFF and PNG outputs are the
# same bytes, profile included, and a JPEG output carries the source's profile in both builds.
if command -v convert >/dev/null && command -v python3 >/dev/null; then
  python3 "$here/make-icc-profile.py" icc.icc 70000
  convert in.bmp -profile icc.icc icc-in.png
  convert in.bmp -compress none -profile icc.icc icc-in.tif
  convert in.bmp -quality 90 -profile icc.icc icc-in.jpg
  for source in icc-in.png icc-in.tif; do
    for format in tiff png; do
      name=${source%.*}-${source##*.}.${format}
      "$native" trim --format $format --size 320x240 $source -o native-$name >/dev/null
      "$wine_run" "$exe" trim --format $format --size 320x240 $source -o wine-$name >/dev/null
      if cmp -s native-$name wine-$name; then echo "same: $name"; else echo "DIFFERENT: $name"; status=1; fi
    done
  done
  if command -v exiftool >/dev/null; then
    "$native" trim --format jpeg --keep-exif --limit-kib 90 icc-in.jpg -o native-icc.jpg >/dev/null
    "$wine_run" "$exe" trim --format jpeg --keep-exif --limit-kib 90 icc-in.jpg -o wine-icc.jpg >/dev/null
    for build in native wine; do
      if exiftool -q -q -b -ICC_Profile $build-icc.jpg | cmp -s - icc.icc; then
        echo "same profile: $build-icc.jpg"
      else
        echo "DIFFERENT profile: $build-icc.jpg"
        status=1
      fi
    done
  fi
else
  echo "no ImageMagick or python3: the profile sources are left out"
fi
# A folder of different pictures, each filter, four jobs against one.
mkdir -p jobs/in
for k in 1 2 3 4 5; do "$native" sample --size $((300 + 37 * k))x$((200 + 11 * k)) jobs/in/p$k.bmp >/dev/null; done
for filter in 0 1 2 3; do
  rm -rf jobs/one jobs/four
  "$wine_run" "$exe" trim -j 1 --filter $filter --format bmp --size 120x90 --out-folder jobs --subfolder one jobs/in >/dev/null
  "$wine_run" "$exe" trim -j 4 --filter $filter --format bmp --size 120x90 --out-folder jobs --subfolder four jobs/in >/dev/null
  if [ "$(ls jobs/four | wc -l)" = 5 ] && diff -r jobs/one jobs/four >/dev/null; then
    echo "same with four jobs: filter $filter"
  else
    echo "DIFFERENT with four jobs: filter $filter"
    status=1
  fi
done
exit $status
