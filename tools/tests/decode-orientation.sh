#!/bin/bash
# JPEGs tagged with each EXIF orientation by exiftool decode as ImageMagick's -auto-orient shows
# them, pixel for pixel. Usage: decode-orientation.sh VANTLE_CLI. Skips (77) without the tools.
set -u
cli=$1
command -v convert >/dev/null && command -v compare >/dev/null && command -v exiftool >/dev/null || exit 77
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
convert -size 60x40 gradient:red-blue -fill white -draw "rectangle 2,2 20,10" -quality 95 base.jpg || exit 1
status=0
for o in 1 2 3 4 5 6 7 8; do
    cp base.jpg "o$o.jpg"
    exiftool -q -overwrite_original -n -Orientation=$o "o$o.jpg" || exit 1
    "$cli" decode "o$o.jpg" "v$o.bmp" >/dev/null || { echo "orientation $o: decode failed"; status=1; continue; }
    convert "o$o.jpg" -auto-orient -type TrueColor "BMP3:m$o.bmp" || exit 1
    differ=$(compare -metric AE "v$o.bmp" "m$o.bmp" null: 2>&1)
    if [ "$differ" != "0" ]; then echo "orientation $o: $differ pixels differ from -auto-orient"; status=1; fi
done
exit $status
