#!/usr/bin/env bash
# vantle-cli.exe decode --plugins with the shipped plug-ins reads WebP files made by cwebp and
# img2webp (lossy, lossless, with alpha, animated) into the very pixels dwebp gives: dwebp's PAM of
# the same file (of an animation's first frame, cut out by webpmux), read through the shipped Netpbm
# plug-in, which composites alpha on white as the WebP plug-in does, decodes to the same BMP bytes.
# Arguments: the Wine runner, the Windows exe, its plug-in folder, the native vantle-cli (77 when
# WebP's tools or the native build are missing).
set -euo pipefail
wine_run="$1"
exe="$2"
plugins="$3"
native="$4"
for tool in cwebp dwebp img2webp webpmux convert; do
  command -v $tool >/dev/null || { echo "$tool is not installed"; exit 77; }
done
[ -x "$native" ] || { echo "native vantle-cli not built: $native"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Odd sizes, so bottom-up row padding shows; a second frame that differs from the first.
"$native" sample --size 301x203 o.bmp >/dev/null
convert o.bmp -negate f2.bmp
convert o.bmp o.pam
convert f2.bmp f2.pam
convert o.bmp \( -size 203x301 gradient: -rotate 90 \) -alpha off -compose CopyOpacity -composite a.png
convert a.png a.pam

make() {
  case $1 in
    lossy) cwebp -quiet -q 75 o.pam -o $1.webp ;;
    lossless) cwebp -quiet -lossless o.pam -o $1.webp ;;
    lossy_alpha) cwebp -quiet -q 75 a.pam -o $1.webp ;;
    lossless_alpha) cwebp -quiet -lossless -exact a.pam -o $1.webp ;;
    animated) img2webp -lossy a.pam f2.pam -o $1.webp >/dev/null ;;
  esac
}

status=0
for kind in lossy lossless lossy_alpha lossless_alpha animated; do
  make $kind
  if [ $kind = animated ]; then
    webpmux -get frame 1 $kind.webp -o first.webp >/dev/null
    dwebp -quiet first.webp -pam -o $kind.pam
  else
    dwebp -quiet $kind.webp -pam -o $kind.pam
  fi
  "$wine_run" "$exe" decode --plugins "$plugins" $kind.webp ours-$kind.bmp >/dev/null
  "$wine_run" "$exe" decode --plugins "$plugins" $kind.pam dwebp-$kind.bmp >/dev/null
  if [ -s ours-$kind.bmp ] && cmp -s ours-$kind.bmp dwebp-$kind.bmp; then
    echo "same: $kind"
  else
    echo "DIFFERENT: $kind"
    status=1
  fi
done

# Without the plug-in folder the same file is not recognised, and a cut-short one is refused.
if "$wine_run" "$exe" decode lossy.webp none.bmp >/dev/null 2>&1; then
  echo "read without plug-ins"; status=1
fi
head -c 300 lossless.webp > short.webp
if "$wine_run" "$exe" decode --plugins "$plugins" short.webp short.bmp >/dev/null 2>&1 || [ -e short.bmp ]; then
  echo "a cut-short file was read"; status=1
fi
exit $status
