#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for the given number of seconds (default 30),
# starting from its seed corpus in fuzz/corpus/<target>/ (made by the project's encoders and by hand).
# New inputs go to build/fuzz/corpus/<target>/, crashes to build/fuzz/crashes/.
# Usage: fuzz.sh [SECONDS [TARGET...]]   (no targets: all of them)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
only=" $* "
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/crashes
status=0
for target in build/fuzz/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  [ "$only" = "  " ] || [[ "$only" == *" $name "* ]] || continue
  work=build/fuzz/corpus/$name
  mkdir -p "$work"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds+=("fuzz/corpus/$name")
  echo "-- $name: ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=1024 -timeout=10 \
       -print_final_stats=1 -artifact_prefix=build/fuzz/crashes/"$name"- "$work" "${seeds[@]}" \
       >build/fuzz/"$name".log 2>&1; then
    echo "   FAILED: see build/fuzz/$name.log"; tail -30 build/fuzz/"$name".log; status=1
  else
    grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' build/fuzz/"$name".log | tail -1 || true
  fi
done
exit $status
