#!/usr/bin/env bash
# Every test: installs what is missing, then builds and tests natively, under AddressSanitizer and
# UndefinedBehaviorSanitizer, the trim session and its preview worker under ThreadSanitizer, and as
# Windows executables under Wine; then a short fuzzing smoke.
# VANTLE_FUZZ_SECONDS sets the smoke's time per target (default 10; 0 skips it; scripts/fuzz.sh runs longer).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
start=$(date +%s)
for preset in native asan tsan windows; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== $preset: test"
  ctest --preset "$preset" --timeout 900
done

seconds=${VANTLE_FUZZ_SECONDS:-10}
if [ "$seconds" != 0 ] && [ -f scripts/fuzz.sh ]; then
  echo "== fuzz smoke, ${seconds}s per target"
  bash scripts/fuzz.sh "$seconds"
fi
echo "== all tests passed in $(( $(date +%s) - start ))s after set-up"
