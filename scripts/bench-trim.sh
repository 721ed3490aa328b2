#!/usr/bin/env bash
# Times whole trim jobs of vantle-cli against what people would otherwise use (ImageMagick, libvips)
# on images drawn by our own `vantle-cli sample`, and prints the medians, their ratios and the
# performance targets. Not part of the test suite: the numbers depend on the machine and its load.
#
#   scripts/bench-trim.sh [-n RUNS] [--perspective] [VANTLE_CLI]
#
# RUNS (default 5, or BENCH_RUNS) runs of each job; the median wall time counts. --perspective times
# only the perspective job against the same trim without it (and ImageMagick's warp). Without a
# path the native preset's vantle-cli is used, built first when missing. BENCH_FILTERS (default
# "0 3 1 2") picks the resize filters. Inputs and outputs live in build/bench-trim/ (the inputs are
# kept). A peer that is not installed shows "n/a".
#
# What each peer does for the same job (crop the same rectangle, resize to exactly 400 x 300,
# JPEG quality 75):
#   ImageMagick: convert IN -crop WxH+X+Y +repage -filter F -resize 400x300! -quality 75 OUT, with
#     F = Box for filters 0 and 3 (area average), Catrom for 1 (the nearest kin of cubic
#     convolution with a = -1), Point for 2 (nearest neighbour).
#     Perspective: -virtual-pixel white -interpolate bilinear -filter point -distort Perspective
#     (bilinear sampling like ours rather than IM's default EWA), then the same resize.
#   libvips: vips crop IN tmp.v X Y W H, then vips resize tmp.v OUT[Q=75] SX --vscale SY --kernel K,
#     K = linear for 0 and 3, cubic for 1, nearest for 2. The crop goes through a .v file because
#     the vips command runs one operation per call (vipsthumbnail --crop cuts a different
#     rectangle); vips resize box-shrinks by the integer part of the factor first whatever the
#     kernel. No perspective: the vips command line has no plain four-point warp.
#   djpeg -bmp -outfile /dev/null: the decode of the large JPEG alone, the yardstick.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

runs=${BENCH_RUNS:-5}
only_perspective=0
while [ $# -gt 0 ]; do
  case $1 in
  -n) runs=${2:?-n needs a number}; shift 2 ;;
  --perspective) only_perspective=1; shift ;;
  *) break ;;
  esac
done
case $runs in '' | *[!0-9]* | 0) echo "bench-trim: RUNS must be a positive number" >&2; exit 2 ;; esac
filters=${BENCH_FILTERS:-0 3 1 2}

cli=${1:-}
if [ -z "$cli" ]; then
  cli=$root/build/native/tools/vantle-cli
  if [ ! -x "$cli" ]; then
    echo "bench-trim: building vantle-cli (native preset)"
    cmake --preset native >/dev/null
    cmake --build --preset native --target vantle-cli >/dev/null
  fi
fi
[ -x "$cli" ] || { echo "bench-trim: $cli is not an executable" >&2; exit 2; }
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")

im=""
for c in convert-im6.q16 /usr/bin/convert; do
  if command -v "$c" >/dev/null 2>&1; then im=$(command -v "$c"); break; fi
done
vips=$(command -v vips || true)
djpeg=$(command -v djpeg || true)
gnutime=""
[ -x /usr/bin/time ] && gnutime=/usr/bin/time

work=$root/build/bench-trim
mkdir -p "$work"
cd "$work"

# Inputs, drawn once and kept between runs.
make_input() {
  [ -s "$1" ] && return 0
  echo "bench-trim: drawing $1 ($2)"
  "$cli" sample --size "$2" "$1.part.${1##*.}" >/dev/null
  mv "$1.part.${1##*.}" "$1"
}
if [ "$only_perspective" = 0 ]; then
  make_input big.jpg 6000x4000
  make_input big.png 6000x4000
fi
make_input photo.jpg 1600x1200

# Wall time of one run of a command in milliseconds (its output discarded); "n/a" when it fails.
one_ms() {
  local start end
  start=$EPOCHREALTIME
  "$@" >/dev/null 2>&1 || { echo n/a; return 0; }
  end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f\n", (b - a) * 1000 }'
}

# The median of the numbers on stdin; "n/a" when any is.
median_of() {
  sort -n | awk '/n\/a/ { bad = 1 } { v[NR] = $1 }
    END { if (bad || NR == 0) print "n/a"; else printf "%.1f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Median in milliseconds of `runs` wall times of a command.
median_ms() {
  local i
  for ((i = 0; i < runs; i++)); do one_ms "$@"; done | median_of
}

ratio() {
  case "$1$2" in *n/a*) echo n/a ;; *) awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }' ;; esac
}

# The largest centred rectangle of the 400 x 300 ratio, as the trim job lays it: "W H X Y".
largest_rect() {
  awk -v w="$1" -v h="$2" 'BEGIN {
    across = w / 400; down = h / 300
    if (down > across) { cw = w; ch = int(300 * across + 0.5) } else { cw = int(400 * down + 0.5); ch = h }
    printf "%d %d %d %d\n", cw, ch, int((w - cw) / 2), int((h - ch) / 2)
  }'
}

im_filter() { case $1 in 0 | 3) echo Box ;; 1) echo Catrom ;; 2) echo Point ;; esac; }
vips_kernel() { case $1 in 0 | 3) echo linear ;; 1) echo cubic ;; 2) echo nearest ;; esac; }
filter_name() { case $1 in 0) echo area ;; 1) echo bicubic ;; 2) echo nearest ;; 3) echo halftone ;; esac; }

vips_crop_resize() {  # IN X Y W H KERNEL OUT
  "$vips" crop "$1" crop.v "$2" "$3" "$4" "$5" &&
    "$vips" resize crop.v "$7[Q=75]" "$(awk -v w="$4" 'BEGIN { printf "%.17g", 400 / w }')" \
      --vscale "$(awk -v h="$5" 'BEGIN { printf "%.17g", 300 / h }')" --kernel "$6"
}

rows=()
add_row() { rows+=("$1|$2|$3|$4"); }
declare -A ours

echo "bench-trim: $runs run(s) per job, median wall time; vantle-cli: $cli"
inputs="big.jpg big.png photo.jpg"
[ "$only_perspective" = 1 ] && inputs=""
for input in $inputs; do
  case $input in photo.jpg) size=(1600 1200) ;; *) size=(6000 4000) ;; esac
  read -r cw ch cx cy < <(largest_rect "${size[@]}")
  for f in $filters; do
    job="$input ${size[0]}x${size[1]} -> 400x300 $(filter_name "$f")($f) q75"
    o=$(median_ms "$cli" trim --filter "$f" --quality 75 "$input" -o ours.jpg)
    i=n/a v=n/a
    [ -n "$im" ] && i=$(median_ms "$im" "$input" -crop "${cw}x${ch}+${cx}+${cy}" +repage \
      -filter "$(im_filter "$f")" -resize '400x300!' -quality 75 im.jpg)
    [ -n "$vips" ] && v=$(median_ms vips_crop_resize "$input" "$cx" "$cy" "$cw" "$ch" "$(vips_kernel "$f")" vips.jpg)
    ours["$input/$f"]=$o
    add_row "$job" "$o" "$i" "$v"
  done
done
rm -f crop.v

# Perspective: a mild keystone pulled straight on the small photo, whole image kept.
quad="80,30,1520,0,0,1199,1599,1170"
# The two run in turn, so that a change in the machine's load hits both alike.
plain_times=() persp_times=()
for ((k = 0; k < runs; k++)); do
  plain_times+=("$(one_ms "$cli" trim --quality 75 photo.jpg -o ours.jpg)")
  persp_times+=("$(one_ms "$cli" trim --quality 75 --quad "$quad" photo.jpg -o ours.jpg)")
done
plain=$(printf '%s\n' "${plain_times[@]}" | median_of)
persp=$(printf '%s\n' "${persp_times[@]}" | median_of)
i=n/a
if [ -n "$im" ]; then
  IFS=, read -r q0x q0y q1x q1y q2x q2y q3x q3y <<<"$quad"
  i=$(median_ms "$im" photo.jpg -virtual-pixel white -interpolate bilinear -filter point \
    -distort Perspective "$q0x,$q0y 0,0 $q1x,$q1y 1599,0 $q2x,$q2y 0,1199 $q3x,$q3y 1599,1199" \
    -filter Box -resize '400x300!' -quality 75 im.jpg)
fi
add_row "photo.jpg 1600x1200 perspective (--quad), area(0) q75" "$persp" "$i" n/a

if [ "$only_perspective" = 1 ]; then
  printf '\n%-62s %10s %10s %8s\n' job "ours ms" "IM ms" ours/IM
  printf '%-62s %10s %10s %8s\n' "photo.jpg 1600x1200, area(0) q75" "$plain" n/a n/a
  IFS='|' read -r job o i v <<<"${rows[-1]}"
  printf '%-62s %10s %10s %8s\n' "$job" "$o" "$i" "$(ratio "$o" "$i")"
  r=$(ratio "$persp" "$plain")
  printf '\nperspective / plain (photo.jpg) %8s  <= 1.2   %s\n' "$r" \
    "$(awk -v v="$r" 'BEGIN { print v <= 1.2 ? "met" : "MISSED" }')"
  exit 0
fi

decode=n/a stream=n/a
if [ -n "$djpeg" ]; then
  decode=$(median_ms "$djpeg" -bmp -outfile /dev/null big.jpg)
  # PPM streams row by row; BMP (bottom-up) keeps the whole image first, as a trim must.
  stream=$(median_ms "$djpeg" -outfile /dev/null big.jpg)
fi

# Peak memory of the default trim of the large JPEG, and of djpeg for comparison.
peak=n/a djpeg_peak=n/a
if [ -n "$gnutime" ]; then
  peak=$("$gnutime" -f %M -o rss.txt "$cli" trim big.jpg -o ours.jpg >/dev/null 2>&1 && cat rss.txt || echo n/a)
  [ -n "$djpeg" ] && djpeg_peak=$("$gnutime" -f %M -o rss.txt "$djpeg" -bmp -outfile /dev/null big.jpg && cat rss.txt)
  rm -f rss.txt
fi

printf '\n%-62s %10s %10s %10s %8s %9s\n' job "ours ms" "IM ms" "vips ms" ours/IM ours/vips
for r in "${rows[@]}"; do
  IFS='|' read -r job o i v <<<"$r"
  printf '%-62s %10s %10s %10s %8s %9s\n' "$job" "$o" "$i" "$v" "$(ratio "$o" "$i")" "$(ratio "$o" "$v")"
done
printf '%-62s %10s\n' "djpeg -bmp big.jpg (decode only, the yardstick)" "$decode"
printf '%-62s %10s\n' "djpeg big.jpg to PPM (decode streamed row by row)" "$stream"

# Targets: each ratio and whether it is met.
target() {  # NAME VALUE LIMIT
  local verdict=n/a
  [ "$2" != n/a ] && verdict=$(awk -v v="$2" -v l="$3" 'BEGIN { print v <= l ? "met" : "MISSED" }')
  printf '%-62s %8s  <= %-5s %s\n' "$1" "$2" "$3" "$verdict"
}
rss_mb=n/a
[ "$peak" != n/a ] && rss_mb=$(awk -v k="$peak" 'BEGIN { printf "%.1f", k * 1024 / 1e6 }')
default=${ours[big.jpg/0]:-}
[ -n "$default" ] || default=$(median_ms "$cli" trim big.jpg -o ours.jpg)
echo
echo "targets"
target "default trim (big.jpg, area, q75) / djpeg" "$(ratio "$default" "$decode")" 1.4
target "perspective / plain (photo.jpg)" "$(ratio "$persp" "$plain")" 1.2
target "peak RSS of trim big.jpg ($rss_mb MB) / 72 MB decoded" \
  "$([ "$peak" = n/a ] && echo n/a || awk -v k="$peak" 'BEGIN { printf "%.2f", k * 1024 / 72000000 }')" 1.3
echo "  (quad $quad; plain trim of photo.jpg: $plain ms; djpeg peak RSS: $djpeg_peak KB; ours: $peak KB)"
