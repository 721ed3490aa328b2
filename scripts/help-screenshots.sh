#!/usr/bin/env bash
# Retakes the pictures of the user guide (docs/help/images/) from the Windows build's Vantle.exe
# under Wine on a private Xvfb display. Needs the Windows build first:
#   cmake --preset windows && cmake --build --preset windows
# The pictures are kept in the repository, so building the help never needs Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows
[ -x "$build/bin/Vantle.exe" ] || [ -f "$build/bin/Vantle.exe" ] || { echo "help-screenshots: build the windows preset first" >&2; exit 1; }
export VANTLE_GUI_BIN=$build/bin
export VANTLE_GUI_TOOLS=$build/tests/gui
export VANTLE_GUI_CLI=$root/build/native/tools/vantle-cli
export VANTLE_GUI_CLI_EXE=$build/tools/vantle-cli.exe
export VANTLE_GUI_WINE_RUN=$root/scripts/wine-run.sh
export VANTLE_WINE_BUILD=$build
# A prefix of its own, so the pictures never depend on what the GUI tests left in theirs.
export VANTLE_WINE_PREFIX=$build/wineprefix-help
export VANTLE_GUI_ARTIFACTS=$build/gui-artifacts
"$VANTLE_GUI_WINE_RUN" --init
exec python3 "$root/scripts/help-screenshots.py" "${1:-$root/docs/help/images}"
