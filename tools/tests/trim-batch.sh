#!/usr/bin/env bash
# vantle-cli trim over folders and with several jobs: the folder's order and patterns, -r, names
# that collide within one run and between two runs at once, outputs the same as one job at a time,
# the dry run, the progress line only on a terminal, --quiet and the exit status.
set -euo pipefail
cli="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

# Small pictures of different sizes, so that every output has pixels of its own.
n=0
picture() {  # PATH
  n=$((n + 1))
  mkdir -p "$(dirname "$1")"
  case $1 in
  *.tif | *.gif)  # formats sample does not write: through a trim
    "$cli" sample --size "$((60 + n))x$((45 + n % 7))" "$work/drawn.bmp" >/dev/null
    "$cli" trim --format "$(case $1 in *.tif) echo tiff ;; *) echo gif ;; esac)" --size "$((40 + n))x$((30 + n % 7))" "$work/drawn.bmp" -o "$1" >/dev/null ;;
  *) "$cli" sample --size "$((40 + n))x$((30 + n % 7))" "$1" >/dev/null ;;
  esac
}

# ---- a folder's files in the file list's order, its subfolders with -r ----
for f in img10.jpg img2.JPG IMG1.png photo.jpeg z.tif; do picture "album/$f"; done
printf 'not a picture' > album/notes.txt
picture album/day10/b.jpg
picture album/Day2/a.png
picture loose.bmp
mkdir album/empty

out=$("$cli" trim --dry-run album 2>&1)
expected="album/IMG1.png -> album/Output/IMG1.jpg (dry run)
album/img2.JPG -> album/Output/img2.jpg (dry run)
album/img10.jpg -> album/Output/img10.jpg (dry run)
album/photo.jpeg -> album/Output/photo.jpg (dry run)
album/z.tif -> album/Output/z.jpg (dry run)
5 of 5 file(s) would be written"
[ "$out" = "$expected" ] || fail "folder order:
$out"
[ ! -e album/Output ] || fail "the dry run made the output folder"

# Files and folders mixed keep the arguments' order; -r adds the subfolders, each with its own
# output folder; the outputs of an earlier run are not trimmed again.
"$cli" trim -r -j 2 loose.bmp album >run1.txt
grep -q "^8 of 8 file(s) done$" run1.txt || fail "-r count: $(cat run1.txt)"
order=$(sed -n 's/ -> .*//p' run1.txt | tr '\n' ' ')
[ "$order" = "loose.bmp album/IMG1.png album/img2.JPG album/img10.jpg album/photo.jpeg album/z.tif album/Day2/a.png album/day10/b.jpg " ] ||
  fail "-r order: $order"
[ -f album/Day2/Output/a.jpg ] && [ -f album/day10/Output/b.jpg ] && [ -f Output/loose.jpg ] || fail "-r output folders"
"$cli" trim -r --dry-run album >again.txt
grep -q "^7 of 7 file(s) would be written$" again.txt && ! grep -q "^album/Output/" again.txt ||
  fail "a second -r run takes the first run's outputs: $(cat again.txt)"

# ---- many jobs: the same files, names and lines as one job at a time ----
mkdir -p same
for d in a b c; do for f in p.jpg p.png p.bmp q.jpg; do picture "same/$d/$f"; done; done
cp -r same one && cp -r same many
(cd one && "$cli" trim -r -j 1 --format bmp --out-folder . --subfolder out . >lines.txt)
(cd many && "$cli" trim -r -j 7 --format bmp --out-folder . --subfolder out . >lines.txt)
diff one/lines.txt many/lines.txt >/dev/null || fail "-j 7 lines differ from -j 1: $(diff one/lines.txt many/lines.txt)"
diff -r one many >/dev/null || fail "-j 7 outputs differ from -j 1"
[ "$(ls many/out | wc -l)" = 12 ] || fail "-j 7 output count: $(ls many/out)"

# ---- colliding names: every output once, with its own input's pixels ----
# 24 inputs in 8 folders, all named p.*, into one folder: p.bmp, p+1.bmp ... p+23.bmp.
for d in 1 2 3 4 5 6 7 8; do for f in p.jpg p.png p.bmp; do picture "clash/$d/$f"; done; done
mkdir common
small=(--format bmp --size 32x24)
check_outputs() {  # LINES-FILE... : each line's output holds exactly its input's trim
  local line in outp
  cat "$@" | grep ' -> ' | while IFS= read -r line; do
    in=${line%% -> *}
    outp=${line#* -> }
    outp=${outp% (*}
    "$cli" trim "${small[@]}" "$in" -o expected.bmp >/dev/null
    cmp -s expected.bmp "$outp" || { echo "$in -> $outp has the wrong pixels"; return 1; }
  done
}
"$cli" trim -r -j 6 "${small[@]}" --out-folder common --subfolder "" clash >clash.txt
[ "$(grep -c ' -> ' clash.txt)" = 24 ] || fail "colliding names: $(cat clash.txt)"
names=$(ls common | sort -V | tr '\n' ' ')
expect_names() { local k; printf 'p.bmp '; for ((k = 1; k < $1; k++)); do printf 'p+%d.bmp ' "$k"; done; }
[ "$names" = "$(expect_names 24)" ] || fail "colliding names: $names"
check_outputs clash.txt || fail "colliding outputs"
[ "$(md5sum common/* | cut -d' ' -f1 | sort -u | wc -l)" = 24 ] ||
  fail "the inputs do not give 24 different outputs, so the pixel check proves little"
# In the inputs' order, as one job at a time would name them.
[ "$(sed -n 's/.* -> common\/\(p[^ ]*\) .*/\1/p' clash.txt | tr '\n' ' ')" = "$(expect_names 24)" ] || fail "names out of order"

# Two runs at once into the same folder: 48 outputs, none lost or overwritten.
mkdir both
"$cli" trim -r -j 3 "${small[@]}" --out-folder both --subfolder "" clash >both1.txt &
first=$!
"$cli" trim -r -j 3 "${small[@]}" --out-folder both --subfolder "" clash >both2.txt
wait $first || fail "first concurrent run"
[ "$(ls both | sort -V | tr '\n' ' ')" = "$(expect_names 48)" ] || fail "two runs at once: $(ls both | tr '\n' ' ')"
[ "$(cat both1.txt both2.txt | sed -n 's/.* -> \([^ ]*\) .*/\1/p' | sort | uniq -d)" = "" ] || fail "a name given twice"
check_outputs both1.txt both2.txt || fail "outputs of two runs at once"

# ---- the dry run names what the run then writes, and writes nothing ----
mkdir dry && cp clash/1/p.jpg dry/a.jpg && cp clash/2/p.png dry/a.png && cp clash/3/p.bmp dry/b.bmp
mkdir dry/Output && cp dry/a.jpg dry/Output/a.jpg
before=$(find dry | sort)
"$cli" trim --dry-run -j 3 dry >plan.txt
[ "$(find dry | sort)" = "$before" ] || fail "the dry run wrote something"
grep -q "^dry/a.jpg -> dry/Output/a+1.jpg (dry run)$" plan.txt || fail "dry run +1: $(cat plan.txt)"
grep -q "^dry/a.png -> dry/Output/a+2.jpg (dry run)$" plan.txt || fail "dry run counts its own names: $(cat plan.txt)"
"$cli" trim -j 3 dry >real.txt
[ "$(sed 's/ (.*//; /file(s)/d' plan.txt)" = "$(sed 's/ (.*//; /file(s)/d' real.txt)" ] || fail "the run wrote other names than planned"
printf 'not a picture' > dry/bad.png
set +e
"$cli" trim --dry-run dry >plan.txt 2>err.txt
rc=$?
set -e
[ $rc = 1 ] && grep -q "dry/bad.png: error 50002" err.txt && grep -q "^3 of 4 file(s) would be written$" plan.txt ||
  fail "dry run of a bad input: $rc $(cat err.txt plan.txt)"

# ---- progress: nothing of it where standard error is no terminal; a line that updates on one ----
"$cli" trim -j 2 --format bmp album >/dev/null 2>progress.txt
[ ! -s progress.txt ] || fail "progress on a file: $(od -c progress.txt | head -3)"
script -qec "'$cli' trim -j 2 --format bmp album >tty-out.txt" /dev/null >tty.txt </dev/null ||
  fail "the run under a terminal"
grep -q "of 5 files" tty.txt && grep -q $'\r' tty.txt || fail "no progress line on a terminal: $(od -c tty.txt | head)"
grep -q "of 5 files" tty-out.txt && fail "the progress line went to standard output"
grep -q "^5 of 5 file(s) done$" tty-out.txt || fail "the count under a terminal"
# --quiet: errors only, on a terminal too.
cp dry/bad.png album/bad.png
set +e
script -qec "'$cli' trim --quiet --format bmp album >quiet-out.txt" /dev/null >quiet-tty.txt </dev/null
rc=$?
set -e
[ $rc = 1 ] || fail "--quiet exit status $rc"
[ ! -s quiet-out.txt ] || fail "--quiet printed: $(cat quiet-out.txt)"
grep -q "album/bad.png: error 50002" quiet-tty.txt && ! grep -q "files" quiet-tty.txt || fail "--quiet on a terminal: $(cat quiet-tty.txt)"

# ---- exit status: a failing input never stops the others ----
set +e
"$cli" trim -j 3 --format bmp album loose.bmp missing.jpg >status.txt 2>err.txt
rc=$?
"$cli" trim -j 0 album 2>/dev/null; zero=$?
"$cli" trim --jobs many album 2>/dev/null; word=$?
"$cli" trim album -o one.bmp 2>/dev/null; folder_o=$?
set -e
[ $rc = 1 ] || fail "exit status $rc"
grep -q "^6 of 8 file(s) done$" status.txt || fail "count: $(cat status.txt)"
grep -q "missing.jpg: error 50004" err.txt && grep -q "album/bad.png: error 50002" err.txt || fail "errors: $(cat err.txt)"
[ $zero = 2 ] && [ $word = 2 ] && [ $folder_o = 2 ] || fail "usage status: -j 0 $zero, -j word $word, -o folder $folder_o"
echo "trim batch: all checks passed"
