#!/usr/bin/env bash
# The Debian package of vantle-cli: made by cpack from the build tree, unpacked into a scratch root
# (dpkg -x) and used from there: the binary runs a trim, the manual page reads, the package says
# what it depends on. Argument: the build tree (configured and built).
set -euo pipefail
build="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || fail "cpack: $(cat "$work/cpack.log")"
debs=("$work"/out/vantle-cli_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "no single package: $(ls "$work/out")"
deb=${debs[0]}

# What it holds: the binary and its manual page, under /usr, nothing else.
files=$(dpkg-deb -c "$deb" | awk '{print $NF}' | grep -v '/$' | sort | tr '\n' ' ')
[ "$files" = "./usr/bin/vantle-cli ./usr/share/man/man1/vantle-cli.1.gz " ] || fail "contents: $files"
[ "$(dpkg-deb -f "$deb" Package)" = vantle-cli ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q libjpeg62-turbo <<<"$depends" && grep -q zlib1g <<<"$depends" || fail "Depends: $depends"

root=$work/root
dpkg -x "$deb" "$root"
cli=$root/usr/bin/vantle-cli
version=$("$cli" --version)
grep -q "^vantle-cli [0-9]" <<<"$version" || fail "--version: $version"

# The installed binary does a whole job: a folder of two pictures.
mkdir "$work/pics"
"$cli" sample --size 800x600 "$work/pics/b.jpg" >/dev/null
"$cli" sample --size 640x480 "$work/pics/a.png" >/dev/null
out=$("$cli" trim -j 2 "$work/pics")
grep -q "2 of 2 file(s) done" <<<"$out" && [ -s "$work/pics/Output/a.jpg" ] && [ -s "$work/pics/Output/b.jpg" ] ||
  fail "trim with the installed binary: $out"

# The manual page reads without complaint and carries the version.
page=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/vantle-cli.1.gz" 2>"$work/man-warnings.txt")
[ ! -s "$work/man-warnings.txt" ] || fail "manual page warnings: $(cat "$work/man-warnings.txt")"
grep -q "vantle-cli - trim images" <<<"$page" && grep -q -- "--dry-run" <<<"$page" || fail "manual page text"
grep -q "Vantle ${version#vantle-cli }" <<<"$page" || fail "manual page version"
echo "package: all checks passed ($(basename "$deb"))"
