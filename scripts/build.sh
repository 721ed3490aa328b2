#!/usr/bin/env bash
# Builds the program for both targets and lists what was built.
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
