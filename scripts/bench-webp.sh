#!/usr/bin/env bash
# Times opening a 4000 x 3000 lossy WebP through the WebP plug-in's decoding function against dwebp
# decoding the same file to a file, and prints the medians, their ratios and where the time goes.
# Not part of the test suite: the numbers depend on the machine and its load.
#
#   scripts/bench-webp.sh [-n RUNS] [WEBP]
#
# RUNS (default 7, or BENCH_RUNS) runs of each; the median counts. Without WEBP the picture is drawn
# by `vantle-cli sample --size 4000x3000` (the native preset's, built when missing) and encoded by
# `cwebp -q 75` into build/bench-webp/ (kept for later runs).
#
# Ours: bench/webp/webp_open (bench preset, Release) reads the file whole, reads the header,
# allocates the two bitmap buffers, decodes (libwebp straight into the bottom-up 24-bit rows) and
# frees, each step timed in the process; beside it libwebp's WebPDecodeBGRInto alone on the same
# file, for our share of the decode.
# dwebp: whole processes of `dwebp IN -ppm -o OUT` and `-bmp` (and the default PNG, whose encoder
# dominates), wall time per run; `dwebp -v` splits one run into its decode and its write.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

runs=${BENCH_RUNS:-7}
if [ "${1:-}" = "-n" ]; then runs=${2:?-n needs a number}; shift 2; fi
case $runs in '' | *[!0-9]* | 0) echo "bench-webp: RUNS must be a positive number" >&2; exit 2 ;; esac
dwebp=$(command -v dwebp) || { echo "bench-webp: dwebp is not installed (package webp)" >&2; exit 2; }

work=$root/build/bench-webp
mkdir -p "$work"
input=${1:-}
if [ -z "$input" ]; then
  input=$work/photo-4000x3000.webp
  if [ ! -f "$input" ]; then
    cli=$root/build/native/tools/vantle-cli
    if [ ! -x "$cli" ]; then
      echo "bench-webp: building vantle-cli (native preset)"
      cmake --preset native >/dev/null
      cmake --build --preset native --target vantle-cli >/dev/null
    fi
    "$cli" sample --size 4000x3000 "$work/photo-4000x3000.png" >/dev/null
    cwebp -quiet -q 75 "$work/photo-4000x3000.png" -o "$input"
  fi
fi
[ -f "$input" ] || { echo "bench-webp: $input does not exist" >&2; exit 2; }

echo "bench-webp: building webp_open (bench preset)"
cmake --preset bench >/dev/null
cmake --build --preset bench --target webp_open >/dev/null
opener=$root/build/bench/bench/webp_open

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# Wall milliseconds of RUNS runs of a command, median.
time_runs() {
  local i start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000))
  done | median | awk '{ printf "%.1f", $1 / 1000 }'
}

echo "input: $input ($(stat -c %s "$input") bytes), $runs runs"
ours=$("$opener" "$input" "$runs")
echo "$ours" | sed 's/^/  ours: /'
ours_total=$(echo "$ours" | awk '/^total / { print $2 }')
ours_decode=$(echo "$ours" | awk '/^decode / { print $2 }')
alone=$(echo "$ours" | awk '/^libwebp_alone / { print $2 }')

ppm=$(time_runs "$dwebp" "$input" -ppm -o "$work/out.ppm")
bmp=$(time_runs "$dwebp" "$input" -bmp -o "$work/out.bmp")
png=$(time_runs "$dwebp" "$input" -o "$work/out.png")
split=$("$dwebp" -v "$input" -ppm -o "$work/out.ppm" 2>&1)
dwebp_decode=$(echo "$split" | awk '/Time to decode picture/ { sub("s", "", $5); printf "%.1f", $5 * 1000 }')
dwebp_write=$(echo "$split" | awk '/Time to write output/ { sub("s", "", $5); printf "%.1f", $5 * 1000 }')

echo "  dwebp -ppm: $ppm ms (one -v run: decode $dwebp_decode ms, write $dwebp_write ms)"
echo "  dwebp -bmp: $bmp ms"
echo "  dwebp (PNG): $png ms"
awk -v t="$ours_total" -v d="$ours_decode" -v a="$alone" -v p="$ppm" -v b="$bmp" 'BEGIN {
  printf "ratio ours / dwebp -ppm: %.2f   ours / dwebp -bmp: %.2f   (target: within 1.2)\n", t / p, t / b
  printf "our share of the decode beyond libwebp alone: %.1f ms (%.0f%%)\n", d - a, 100 * (d - a) / d
  printf "target %s\n", (t <= 1.2 * p) ? "held" : "missed"
}'
