#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's private prefix, quietly.
# `wine-run.sh --init` only makes sure the prefix exists. VANTLE_WINE_PREFIX names another prefix
# (the GUI tests keep their own, so no windowless desktop of a console test is ever theirs).
set -u
build=${VANTLE_WINE_BUILD:-$PWD}
# CTest runs tests from their build folder; the prefix lives at the top of the build tree.
while [ "$build" != "/" ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
[ -f "$build/CMakeCache.txt" ] || build=${VANTLE_WINE_BUILD:-$PWD}
export WINEPREFIX="${VANTLE_WINE_PREFIX:-$build/wineprefix}"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
loader=$(command -v wine64 || true)
[ -n "$loader" ] || loader=/usr/lib/wine/wine64
[ -x "$loader" ] || { echo "wine-run: no wine64 loader found" >&2; exit 127; }

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || "$loader" wineboot --init >/dev/null 2>&1
    wineserver_bin=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
    [ -x "$wineserver_bin" ] || wineserver_bin=/usr/lib/wine/wineserver
    [ -x "$wineserver_bin" ] && "$wineserver_bin" -w 2>/dev/null
  ) 9>"$WINEPREFIX.lock"
fi
[ "${1:-}" = "--init" ] && { [ -f "$WINEPREFIX/system.reg" ]; exit $?; }
exec "$loader" "$@"
