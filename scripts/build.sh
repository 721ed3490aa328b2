#!/usr/bin/env bash
# Builds the program for both targets, lists what was built, then shows the trim job: vantle-cli
# draws a sample photograph and trims it with the default settings (400 x 300 JPEG).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
for preset in native windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo "Built:"
find build/native build/windows -maxdepth 3 -type f \( -name 'vantle-cli' -o -name '*.exe' -o -name '*.dll' -o -name '*.a' \) \
  -not -path '*/googletest/*' -not -path '*/wineprefix/*' -not -name 'test_*' | sort

# The main job end to end on an image the project made itself.
demo=build/demo
rm -rf "$demo"
mkdir -p "$demo"
build/native/tools/vantle-cli sample "$demo/sample.jpg"
build/native/tools/vantle-cli trim "$demo/sample.jpg"
echo "The trimmed 400 x 300 JPEG is $(cd "$demo/Output" && pwd)/sample.jpg"
