#!/usr/bin/env bash
# Builds Vantle.exe and starts it under Wine on the current desktop, opening IMAGE (default: the
# generated sample photograph). The program keeps its settings in Wine's per-user application-data
# folder of the Wine prefix in use (WINEPREFIX, default ~/.wine).
#   bash scripts/run-windows.sh [IMAGE]
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then
  echo "run-windows: no DISPLAY; start this from a desktop session (or an X server such as Xvfb)" >&2
  exit 2
fi
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Vantle
image=${1:-}
if [ -z "$image" ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native --target vantle-cli
  mkdir -p build/demo
  [ -f build/demo/sample.jpg ] || build/native/tools/vantle-cli sample build/demo/sample.jpg
  image=build/demo/sample.jpg
fi
loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEDEBUG=${WINEDEBUG:--all}
exec "$loader" build/windows/bin/Vantle.exe "$(winepath_arg=$(readlink -f "$image"); echo "Z:${winepath_arg//\//\\}")"
