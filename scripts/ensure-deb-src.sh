#!/usr/bin/env bash
# Makes `apt-get source PACKAGE` work: when it cannot find the package, adds deb-src entries for the
# archives this machine already uses (copied from its own apt sources) and updates the lists.
# Usage: ensure-deb-src.sh PACKAGE
set -euo pipefail

package=${1:?usage: ensure-deb-src.sh PACKAGE}
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

apt-get source --print-uris "$package" >/dev/null 2>&1 && exit 0

srcfile=/etc/apt/sources.list.d/vantle-deb-src.sources
tmp=$(mktemp)
trap 'rm -f "$tmp" "$tmp.list"' EXIT
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] && [ "$f" != "$srcfile" ] || continue
  # deb822: copy each stanza whose Types include deb, as deb-src.
  perl -00 -ne 'if (/^Types:.*\bdeb\b/m) { s/^Types:.*$/Types: deb-src/m; s/\s*\z/\n\n/; print }' "$f" >>"$tmp"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$tmp.list" || true
done
if [ -s "$tmp" ]; then $SUDO cp "$tmp" "$srcfile"; fi
if [ -s "$tmp.list" ]; then $SUDO cp "$tmp.list" /etc/apt/sources.list.d/vantle-deb-src.list; fi
$SUDO apt-get update -q >&2
