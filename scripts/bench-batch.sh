#!/usr/bin/env bash
# Times one batch of large photographs through vantle-cli trim with one job and with its default
# number of jobs, and through the batch tools people would otherwise use, in one run; prints the
# files per second, the ratios, the peak memory and whether the goals hold. Not part of the test
# suite: the numbers depend on the machine and its load (shown before and after).
#
#   scripts/bench-batch.sh [-n RUNS] [VANTLE_CLI]
#
# RUNS (default 1, or BENCH_RUNS) runs of each job, taken in turn; the median wall time counts.
# Without a path the native preset's vantle-cli is used, built first when missing. The inputs, 40
# copies of one 6000 x 4000 photograph drawn by `vantle-cli sample` (JPEG quality 90), are kept in
# build/bench-batch/in/; the outputs go to build/bench-batch/out/.
#
# The same job for each (the largest centred 4:3 rectangle, resized to exactly 400 x 300, JPEG
# quality 75, one output per input):
#   vantle-cli trim -j 1 --quality 75 --quiet IN-FOLDER (and without -j: one job per processor)
#   vipsthumbnail --size 400x300 --smartcrop centre -o OUT/%s.jpg[Q=75] IN/*.jpg
#     (it decodes a JPEG at a fraction of its size when it shrinks, so it reads far less)
#   mogrify -path OUT -crop 5333x4000+333+0 +repage -filter Box -resize 400x300! -quality 75 IN/*.jpg
#     (Box: the area average of our default filter; ImageMagick uses its own threads per image)
# Goals: -j 2 at least 1.8 times the files per second of -j 1 on 2 processors; the default jobs
# at least twice the rate of the fastest peer; the peak memory of the default jobs (N of them)
# within N + 1 decoded images (6000 x 4000 x 3 bytes each).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

runs=${BENCH_RUNS:-1}
if [ "${1:-}" = -n ]; then
  runs=${2:?-n needs a number}
  shift 2
fi
case $runs in '' | *[!0-9]* | 0) echo "bench-batch: RUNS must be a positive number" >&2; exit 2 ;; esac

cli=${1:-}
if [ -z "$cli" ]; then
  cli=$root/build/native/tools/vantle-cli
  if [ ! -x "$cli" ]; then
    echo "bench-batch: building vantle-cli (native preset)"
    cmake --preset native >/dev/null
    cmake --build --preset native --target vantle-cli >/dev/null
  fi
fi
[ -x "$cli" ] || { echo "bench-batch: $cli is not an executable" >&2; exit 2; }
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
[ -x /usr/bin/time ] || { echo "bench-batch: /usr/bin/time is needed (package time)" >&2; exit 2; }
vipsthumbnail=$(command -v vipsthumbnail || true)
mogrify=""
for c in mogrify-im6.q16 mogrify; do
  if command -v "$c" >/dev/null 2>&1; then mogrify=$(command -v "$c"); break; fi
done

count=40
work=$root/build/bench-batch
mkdir -p "$work/in"
cd "$work"
if [ ! -s in/p$count.jpg ]; then
  echo "bench-batch: drawing the 6000 x 4000 photograph and its $count copies"
  "$cli" sample --size 6000x4000 drawn.jpg >/dev/null
  for ((k = 1; k <= count; k++)); do cp drawn.jpg "in/p$(printf %02d $k).jpg"; done
  rm -f drawn.jpg
fi
inputs=(in/p*.jpg)
[ ${#inputs[@]} = $count ] || { echo "bench-batch: in/ holds ${#inputs[@]} pictures, not $count" >&2; exit 2; }

jobs_default=$(getconf _NPROCESSORS_ONLN)
# What the default -j comes to: vantle-cli counts the processors this process may use.
command -v nproc >/dev/null && jobs_default=$(nproc)

# One timed run of a job into a fresh output folder: "SECONDS PEAK-KB CPU-SECONDS", or "n/a n/a n/a"
# when it fails or does not write every output. The processor time (user and system, every thread)
# shows what a job costs whatever the load: with the wall time it tells how many processors it got.
one_run() {  # NAME COMMAND...
  local name=$1 seconds kb
  shift
  rm -rf "out/$name"
  mkdir -p "out/$name"
  if ! /usr/bin/time -f '%e %M %U %S' -o time.txt "$@" >/dev/null 2>err.txt; then
    echo "bench-batch: $name failed: $(head -3 err.txt)" >&2
    echo "n/a n/a n/a"
    return 0
  fi
  local user system
  read -r seconds kb user system <time.txt
  local written
  written=$(find "out/$name" -name '*.jpg' | wc -l)
  if [ "$written" != $count ]; then
    echo "bench-batch: $name wrote $written of $count outputs" >&2
    echo "n/a n/a n/a"
    return 0
  fi
  echo "$seconds $kb $(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')"
}

# The command of each job, with its output folder out/NAME.
job_command() {  # NAME
  case $1 in
  vantle1) cmd=("$cli" trim -j 1 --quality 75 --quiet --out-folder out --subfolder vantle1 in) ;;
  vantle) cmd=("$cli" trim --quality 75 --quiet --out-folder out --subfolder vantle in) ;;
  vips) cmd=("$vipsthumbnail" --size 400x300 --smartcrop centre -o "$work/out/vips/%s.jpg[Q=75]" "${inputs[@]}") ;;
  im) cmd=("$mogrify" -path out/im -crop 5333x4000+333+0 +repage -filter Box -resize '400x300!' -quality 75 "${inputs[@]}") ;;
  esac
}

names=(vantle1 vantle vips im)
declare -A seconds_of peak_of
declare -A cpu_of
for name in "${names[@]}"; do seconds_of[$name]=""; peak_of[$name]=""; cpu_of[$name]=""; done
echo "bench-batch: $count x 6000 x 4000 JPEG -> 400 x 300, $runs run(s) of each; vantle-cli: $cli"
echo "load before: $(uptime | sed 's/.*load average/load average/')"
for ((r = 0; r < runs; r++)); do
  for name in "${names[@]}"; do
    case $name in
    vips) [ -n "$vipsthumbnail" ] || { seconds_of[$name]+="n/a "; cpu_of[$name]+="n/a "; continue; } ;;
    im) [ -n "$mogrify" ] || { seconds_of[$name]+="n/a "; cpu_of[$name]+="n/a "; continue; } ;;
    esac
    job_command "$name"
    read -r s kb c < <(one_run "$name" "${cmd[@]}")
    seconds_of[$name]+="$s "
    peak_of[$name]+="$kb "
    cpu_of[$name]+="$c "
  done
done
echo "load after:  $(uptime | sed 's/.*load average/load average/')"
rm -f time.txt err.txt

median() {  # numbers...; "n/a" when any is
  printf '%s\n' "$@" | sort -n | awk '/n\/a/ { bad = 1 } { v[NR] = $1 }
    END { if (bad || NR == 0) print "n/a"; else printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
largest() { printf '%s\n' "$@" | sort -n | tail -1; }
rate() { [ "$1" = n/a ] && echo n/a || awk -v s="$1" -v n=$count 'BEGIN { printf "%.2f", (s > 0 ? n / s : 0) }'; }
ratio() { case "$1$2" in *n/a*) echo n/a ;; *) awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }' ;; esac; }
verdict() { [ "$1" = n/a ] && echo n/a || awk -v v="$1" -v g="$2" 'BEGIN { print (v >= g ? "met" : "MISSED") }'; }

declare -A rate_of
printf '\n%-52s %8s %8s %9s %12s\n' job seconds files/s "CPU s" "peak RSS MB"
for name in "${names[@]}"; do
  # shellcheck disable=SC2086
  s=$(median ${seconds_of[$name]})
  rate_of[$name]=$(rate "$s")
  peak=n/a
  # shellcheck disable=SC2086
  [ -n "${peak_of[$name]}" ] && [ "$s" != n/a ] && peak=$(awk -v k="$(largest ${peak_of[$name]})" 'BEGIN { printf "%.0f", k * 1024 / 1e6 }')
  case $name in
  vantle1) label="vantle-cli trim -j 1" ;;
  vantle) label="vantle-cli trim (-j default: $jobs_default)" ;;
  vips) label="vipsthumbnail --size 400x300 --smartcrop centre" ;;
  im) label="mogrify -crop ... -filter Box -resize 400x300!" ;;
  esac
  # shellcheck disable=SC2086
  printf '%-52s %8s %8s %9s %12s\n' "$label" "$s" "${rate_of[$name]}" "$(median ${cpu_of[$name]})" "$peak"
done

fastest_peer=n/a
for name in vips im; do
  r=${rate_of[$name]}
  [ "$r" = n/a ] && continue
  if [ "$fastest_peer" = n/a ] || awk -v a="$r" -v b="$fastest_peer" 'BEGIN { exit !(a > b) }'; then fastest_peer=$r; fi
done
speedup=$(ratio "${rate_of[vantle]}" "${rate_of[vantle1]}")
versus=$(ratio "${rate_of[vantle]}" "$fastest_peer")
# shellcheck disable=SC2086
peak_kb=$(largest ${peak_of[vantle]:-n/a})
images=n/a
[ -n "$peak_kb" ] && [ "$peak_kb" != n/a ] && images=$(awk -v k="$peak_kb" 'BEGIN { printf "%.2f", k * 1024 / (6000 * 4000 * 3) }')

echo
echo "goals"
if [ "$jobs_default" = 2 ]; then
  printf '%-58s %8s  >= 1.8   %s\n' "-j 2 / -j 1, files per second" "$speedup" "$(verdict "$speedup" 1.8)"
else
  printf '%-58s %8s  (the 1.8 goal is for 2 processors)\n' "-j $jobs_default / -j 1, files per second" "$speedup"
fi
printf '%-58s %8s  >= 2     %s\n' "default jobs / fastest peer, files per second" "$versus" "$(verdict "$versus" 2)"
limit=$((jobs_default + 1))
printf '%-58s %8s  <= %-5s %s\n' "peak memory of $jobs_default jobs, in decoded images" "$images" "$limit" \
  "$([ "$images" = n/a ] && echo n/a || awk -v v="$images" -v l="$limit" 'BEGIN { print (v <= l ? "met" : "MISSED") }')"
