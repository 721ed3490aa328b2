#!/usr/bin/env bash
# Fetches PngSuite, the PNG conformance images, from Debian's libpng1.6 source package
# (contrib/pngsuite) into ~/.cache/vantle/pngsuite-<upstream version>, once per version. Prints the
# folder on its last line. The images stay outside the clone.
set -euo pipefail

"$(dirname "$0")/ensure-deb-src.sh" libpng1.6

# Source versions the lists know, newest first; a mirror may lack the newest, so try each.
mapfile -t versions < <(apt-cache showsrc libpng1.6 | awk '/^Version:/ {print $2}' | sort -rV | uniq)
[ ${#versions[@]} -gt 0 ] || { echo "fetch-pngsuite: no libpng1.6 source package" >&2; exit 1; }
upstream=${versions[0]#*:}
upstream=${upstream%-*}
cache=${VANTLE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vantle}
folder="$cache/pngsuite-$upstream"

if [ -f "$folder/.complete" ]; then
  echo "$folder"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fetched=""
for v in "${versions[@]}"; do
  if (cd "$work" && apt-get source -q --download-only "libpng1.6=$v" >/dev/null 2>&1); then
    fetched=$v
    break
  fi
  rm -f "$work"/*
done
[ -n "$fetched" ] || { echo "fetch-pngsuite: no libpng1.6 source could be downloaded" >&2; exit 1; }
# The suite is in the upstream tarball; the Debian patches do not touch it.
tar -xf "$work"/libpng1.6_*.orig.tar.* -C "$work" --wildcards '*/contrib/pngsuite/*'
suite=$(find "$work" -type d -path '*/contrib/pngsuite' | head -1)
[ -n "$suite" ] || { echo "fetch-pngsuite: contrib/pngsuite not in the source" >&2; exit 1; }
rm -rf "$folder"
mkdir -p "$folder"
find "$suite" -type f -exec cp {} "$folder/" \;
touch "$folder/.complete"
echo "$folder"
