#!/usr/bin/env bash
# Decodes BMP, TIFF, GIF and JPEG variants that ImageMagick writes with `vantle-cli decode` and compares the
# pixels with ImageMagick's own decode of the same file. Where our arithmetic is defined differently
# (5- and 6-bit channels scaled down rather than rounded, 16-bit palette entries cut to their high
# byte) a difference of one level is allowed. Files the decoders refuse must fail with the right code.
# Usage: decode-conformance.sh PATH-TO-vantle-cli        Exit 77 (skipped) without ImageMagick.
set -u
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
export MAGICK_THREAD_LIMIT=1  # small images; threads only cost start-up time on a shared machine
convert=/usr/bin/convert-im6.q16
compare=/usr/bin/compare-im6.q16
if [ ! -x "$convert" ] || [ ! -x "$compare" ]; then
  echo "ImageMagick is not installed: skipped"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL $*"; failures=$((failures + 1)); }
u16() { od -An -tu2 -j"$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j"$2" -N4 "$1" | tr -d ' '; }
s32() { od -An -td4 -j"$2" -N4 "$1" | tr -d ' '; }
# put32 FILE OFFSET VALUE: a little-endian 32-bit value written in place.
put32() {
  local v=$(( $3 & 0xFFFFFFFF ))
  printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255)))" |
    dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
bmp_kind() { echo "$(u32 "$1" 14) $(u16 "$1" 28) $(u32 "$1" 30)"; }  # header size, bits, compression
tiff_kind() { "${convert%convert-im6.q16}identify-im6.q16" -format '%z %[tiff:photometric] %[tiff:endian]' "$1" 2>/dev/null; }

# same NAME FUZZ FILE [REFERENCE]: our decode equals ImageMagick's decode of REFERENCE (default FILE).
same() {
  local name=$1 fuzz=$2 file=$3 ref=${4:-$3}
  if ! "$cli" decode "$file" "$work/$name.out.bmp" 2>"$work/err"; then
    fail "$name: $(cat "$work/err")"
    return
  fi
  "$convert" "$ref" -alpha off "$work/$name.ref.png"
  local differ
  differ=$("$compare" -metric AE -fuzz "$fuzz" "$work/$name.out.bmp" "$work/$name.ref.png" null: 2>&1)
  if [ "$differ" = 0 ]; then echo "ok   $name"; else fail "$name: $differ pixels differ"; fi
}

# refused NAME CODE FILE: the decode fails with exit 1 and "error CODE".
refused() {
  local name=$1 code=$2 file=$3
  "$cli" decode "$file" "$work/$name.out.bmp" 2>"$work/err"
  local rc=$?
  if [ $rc = 1 ] && grep -q "^$file: error $code: " "$work/err"; then echo "ok   $name (refused, $code)"
  else fail "$name: exit $rc, $(cat "$work/err")"; fi
}

# kind NAME ACTUAL EXPECTED: the variant ImageMagick wrote is the one meant.
kind() { [ "$2" = "$3" ] || fail "$1: ImageMagick wrote \"$2\", expected \"$3\""; }

cd "$work" || exit 1

# ---- BMP ----
bmp() {  # bmp NAME "SIZE BITS COMPRESSION" FUZZ ARGS... (ARGS end with the output coder and file)
  local name=$1 expected=$2 fuzz=$3
  shift 3
  "$convert" rose: "$@" || { fail "$name: ImageMagick failed"; return; }
  kind "$name" "$(bmp_kind "$name.bmp")" "$expected"
  same "$name" "$fuzz" "$name.bmp"
}
bmp bmp24-v3 "40 24 0" 0 BMP3:bmp24-v3.bmp
bmp bmp24-v5 "124 24 0" 0 BMP:bmp24-v5.bmp
bmp bmp8-v3 "40 8 0" 0 -colors 200 -type Palette -compress none BMP3:bmp8-v3.bmp
bmp bmp8-v5 "124 8 0" 0 -colors 200 -type Palette -compress none BMP:bmp8-v5.bmp
bmp bmp4-v3 "40 4 0" 0 -colors 7 -type Palette BMP3:bmp4-v3.bmp
bmp bmp4-v5 "124 4 0" 0 -colors 16 -type Palette BMP:bmp4-v5.bmp
bmp bmp1-v3 "40 1 0" 0 -monochrome BMP3:bmp1-v3.bmp
bmp bmp1-v4 "108 1 0" 0 -monochrome BMP:bmp1-v4.bmp
bmp rgb565 "124 16 3" 1% -define bmp:subtype=RGB565 BMP:rgb565.bmp
bmp rgb555 "124 16 3" 1% -define bmp:subtype=RGB555 BMP:rgb555.bmp
bmp bmp32-fields "124 32 3" 0 -alpha set BMP:bmp32-fields.bmp

# The same pixels without bit fields: 16-bit 5-5-5 and 32-bit by the default masks.
cp rgb555.bmp rgb555-plain.bmp && put32 rgb555-plain.bmp 30 0
same rgb555-plain 1% rgb555-plain.bmp rgb555.bmp
cp bmp32-fields.bmp bmp32-plain.bmp && put32 bmp32-plain.bmp 30 0
same bmp32-plain 0 bmp32-plain.bmp bmp32-fields.bmp

# A v4 (108-byte) header with a colour table behind it: the v5 file without the last 16 header bytes.
src=bmp8-v5.bmp
{ head -c $((14 + 108)) "$src"; tail -c +$((14 + 124 + 1)) "$src"; } >bmp8-v4.bmp
put32 bmp8-v4.bmp 2 $(( $(u32 "$src" 2) - 16 ))
put32 bmp8-v4.bmp 10 $(( $(u32 "$src" 10) - 16 ))
put32 bmp8-v4.bmp 14 108
kind bmp8-v4 "$(bmp_kind bmp8-v4.bmp)" "108 8 0"
same bmp8-v4 0 bmp8-v4.bmp bmp8-v5.bmp

# Top-down rows (negative height) and run-length compression are refused.
cp bmp24-v3.bmp topdown.bmp && put32 topdown.bmp 22 $(( -$(s32 bmp24-v3.bmp 22) ))
refused topdown 50002 topdown.bmp
"$convert" rose: -colors 200 -type Palette BMP3:rle8.bmp
kind rle8 "$(bmp_kind rle8.bmp)" "40 8 1"
refused rle8 50002 rle8.bmp

# ---- TIFF ----
tif() {  # tif NAME "DEPTH PHOTOMETRIC ENDIAN" FUZZ ARGS...
  local name=$1 expected=$2 fuzz=$3
  shift 3
  "$convert" rose: -compress none "$@" "$name.tif" || { fail "$name: ImageMagick failed"; return; }
  kind "$name" "$(tiff_kind "$name.tif")" "$expected"
  same "$name" "$fuzz" "$name.tif"
}
tif rgb8-le "8 RGB lsb" 0
tif rgb8-be "8 RGB msb" 0 -define tiff:endian=msb
tif rgb16-le "16 RGB lsb" 0 -depth 16
tif rgb16-be-strips "16 RGB msb" 0 -depth 16 -define tiff:endian=msb -define tiff:rows-per-strip=7
tif rgb8-strips "8 RGB lsb" 0 -define tiff:rows-per-strip=5
tif grey8 "8 min-is-black lsb" 0 -colorspace gray -type Grayscale
tif grey8-white "8 min-is-white lsb" 0 -colorspace gray -depth 8 -define quantum:polarity=min-is-white
tif grey4 "4 min-is-black lsb" 0 -colorspace gray -type Grayscale -depth 4
tif bilevel "1 min-is-black msb" 0 -monochrome -depth 1 -define tiff:endian=msb
tif bilevel-white "1 min-is-white lsb" 0 -monochrome -depth 1 -define quantum:polarity=min-is-white
tif palette8 "8 palette lsb" 1% -type Palette -colors 200
tif palette4 "4 palette msb" 1% -type Palette -colors 16 -define tiff:endian=msb

# 72 dots per inch reads as 2835 pixels per metre.
"$convert" rose: -compress none -density 72 -units PixelsPerInch dpi72.tif
"$cli" decode dpi72.tif dpi72.bmp && [ "$(s32 dpi72.bmp 38) $(s32 dpi72.bmp 42)" = "2835 2835" ] &&
  echo "ok   dpi72" || fail "dpi72: resolution $(s32 dpi72.bmp 38) $(s32 dpi72.bmp 42)"

for variant in "lzw -compress lzw" "zip -compress zip" "packbits -compress RLE" \
               "planar -compress none -interlace plane" "rgba -compress none -alpha set" \
               "grey16 -compress none -colorspace gray -type Grayscale -depth 16"; do
  set -- $variant
  name=$1
  shift
  "$convert" rose: "$@" "$name.tif"
  refused "$name" 50002 "$name.tif"
done

# ---- GIF ----
"$convert" rose: gif.gif && same gif 0 gif.gif
"$convert" rose: -interlace GIF gif-interlaced.gif && same gif-interlaced 0 gif-interlaced.gif

# ---- JPEG (the same library decodes on both sides) ----
"$convert" rose: -quality 90 colour.jpg && same jpeg-colour 0 colour.jpg
"$convert" rose: -colorspace gray -quality 90 grey.jpg && same jpeg-grey 0 grey.jpg
"$convert" rose: -interlace JPEG progressive.jpg && same jpeg-progressive 0 progressive.jpg

# ---- the command line itself ----
"$cli" >/dev/null 2>&1; [ $? = 2 ] && echo "ok   no arguments" || fail "no arguments: not exit 2"
"$cli" decode one >/dev/null 2>&1; [ $? = 2 ] && echo "ok   one argument" || fail "one argument: not exit 2"
"$cli" frobnicate a b >/dev/null 2>&1; [ $? = 2 ] && echo "ok   unknown command" || fail "unknown command: not exit 2"
"$cli" --version | grep -q "^vantle-cli [0-9]" && echo "ok   --version" || fail "--version"
"$cli" --help | grep -q "decode IN OUT.bmp" && echo "ok   --help" || fail "--help"
refused missing 50004 "$work/missing.png"
printf 'not an image at all' >text.dat
refused text 50002 text.dat

if [ $failures != 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all decode conformance cases passed"
