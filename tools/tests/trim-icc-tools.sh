#!/usr/bin/env bash
# Colour profiles through vantle-cli trim on files other tools made: ImageMagick embeds a profile
# into a JPEG (large enough for two APP2 segments), a PNG and a TIFF; each is trimmed into every
# format, and exiftool and ImageMagick must find the source's profile byte for byte in every JPEG,
# PNG and TIFF output (also with --keep-exif and under --limit-kib) and none in BMP and GIF. The
# pixels are those of the trim of the same file with its profile removed by exiftool.
# Argument: vantle-cli. Skipped (77) without ImageMagick, exiftool or python3.
set -euo pipefail
cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
for tool in convert exiftool python3; do
  command -v $tool >/dev/null || { echo "$tool not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
status=0
fail() { echo "FAIL: $*"; status=1; }

python3 "$here/make-icc-profile.py" small.icc
python3 "$here/make-icc-profile.py" large.icc 90000
"$cli" sample --size 640x480 picture.bmp >/dev/null
convert picture.bmp -quality 92 -profile large.icc source.jpg
convert picture.bmp -profile small.icc source.png
convert picture.bmp -compress none -profile large.icc source.tif
# EXIF with a thumbnail beside the profile, written by exiftool.
convert picture.bmp -resize 80x60 thumb.jpg
exiftool -q -q -overwrite_original -Artist=Vantle "-ThumbnailImage<=thumb.jpg" source.jpg
[ "$(grep -c -a ICC_PROFILE source.jpg)" -ge 1 ] || fail "ImageMagick wrote no profile"

profile_of() { exiftool -q -q -b -ICC_Profile "$1" || true; }

for source in source.jpg source.png source.tif; do
  case $source in
    *.png) icc=small.icc ;;
    *) icc=large.icc ;;
  esac
  profile_of $source > got.icc
  cmp -s got.icc $icc || fail "$source: the tool's own file does not carry the profile"
  # The same file without its profile, its image data untouched.
  plain=plain-$source
  exiftool -q -q -ICC_Profile= -o $plain $source
  [ "$(profile_of $plain | wc -c)" = 0 ] || fail "$plain kept a profile"

  for format in jpeg png tiff bmp gif; do
    for variant in plain exif limit; do
      [ $format != jpeg ] && [ $variant != plain ] && continue
      opts=(--format $format --size 400x300)
      [ $variant = exif ] && opts+=(--keep-exif)
      [ $variant = limit ] && opts+=(--keep-exif --limit-kib 120)
      name=${source%.*}-$format-$variant
      "$cli" trim "${opts[@]}" $source -o $name.out >/dev/null
      "$cli" trim "${opts[@]}" $plain -o $name.plain >/dev/null
      profile_of $name.out > out.icc
      if [ $format = bmp ] || [ $format = gif ]; then
        [ -s out.icc ] && fail "$name: a profile in a format that has no place for it"
        cmp -s $name.out $name.plain || fail "$name: the file differs from the one without a profile"
      else
        if cmp -s out.icc $icc; then echo "same profile (exiftool): $name"; else fail "$name: exiftool reads another profile"; fi
        # ImageMagick's reading of the same output.
        ext=$format; [ $format = jpeg ] && ext=jpg; [ $format = tiff ] && ext=tif
        cp $name.out probe.$ext
        convert probe.$ext im.icc
        cmp -s im.icc $icc || fail "$name: ImageMagick reads another profile"
        # The pixels are those of the output without a profile.
        "$cli" decode $name.out a.bmp
        "$cli" decode $name.plain b.bmp
        cmp -s a.bmp b.bmp || fail "$name: pixels differ from the output without a profile"
      fi
      if [ $variant != plain ] && [ $source = source.jpg ]; then
        [ "$(exiftool -s3 -Artist $name.out)" = Vantle ] || fail "$name: the EXIF was not kept"
      fi
      if [ $variant = limit ]; then
        size=$(stat -c %s $name.out)
        [ "$size" -le $((120 * 1024)) ] || fail "$name: $size bytes, above the limit"
      fi
    done
  done
done
exit $status
