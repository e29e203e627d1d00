#!/usr/bin/env bash
# nuvero-walk on a small tree: exact output lines, exit codes, bad options.
#   walk_cli_test.sh PATH-TO-nuvero-walk
set -euo pipefail
walk=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/tree/sub" "$dir/tree/.git"
printf 'x%.0s' $(seq 1 1536) > "$dir/tree/a.txt"
: > "$dir/tree/sub/b.log"
: > "$dir/tree/.git/c"
: > "$dir/tree/Жук"
ln -s a.txt "$dir/tree/link"
touch -m -d '2024-05-06 07:08:09' "$dir/tree/a.txt"
touch -m -d '2020-01-01 00:00:00' "$dir/tree/sub/b.log" "$dir/tree/Жук"

fail() { echo "walk_cli_test: $*" >&2; exit 1; }

# "Changing" after 1 May 2024: a.txt and the folder sub (made now) only.
out=$("$walk" --drive "c=$dir/tree" --time-kind 1 --threshold "01.05.2024 00:00:00" c: 2>"$dir/err")
expected=$(printf 'c:\\\ta.txt\t06.05.2024  07:08:09\t1 KBytes\t \n')
grep -q $'^c:\\\\\tsub\t' <<<"$out" || fail "no row for the folder sub: $out"
grep -Fxq "$expected" <<<"$out" || fail "row of a.txt differs: $out"
[ "$(wc -l <<<"$out")" = 2 ] || fail "expected 2 rows: $out"
grep -q 'nuvero-walk: 2 rows, 2 folders entered' "$dir/err" || fail "summary: $(cat "$dir/err")"

# Everything, bytes, Rus names, mask, exclusion.
out=$("$walk" --drive "c=$dir/tree" --no-after-date --unit 0 c: 2>/dev/null)
[ "$(wc -l <<<"$out")" = 4 ] || fail "expected 4 rows without the time test: $out"
grep -q $'\t1536 bytes\t' <<<"$out" || fail "size in bytes: $out"
out=$("$walk" --drive "c=$dir/tree" --no-after-date --rus c: 2>/dev/null)
[ "$out" = "$(printf 'c:\\\tЖук\t')$(cut -f3 <<<"$out" | head -1)$(printf '\t0 KBytes\t ')" ] || fail "Rus names: $out"
out=$("$walk" --drive "c=$dir/tree" --no-after-date --mask '*.LOG' 'c:\sub' 2>/dev/null)
[ "$(cut -f1,2 <<<"$out")" = "$(printf 'c:\\sub\tb.log')" ] || fail "mask: $out"
out=$("$walk" --drive "c=$dir/tree" --no-after-date --exclude 'C:\SUB' c: 2>/dev/null)
grep -q 'b.log' <<<"$out" && fail "excluded folder walked: $out"

# The walk alone (--threads 1) and with folders read ahead (the default, or more threads)
# give the same lines.
for d in 1 2 3 4 5 6; do mkdir -p "$dir/tree/w$d/x/y"; : > "$dir/tree/w$d/x/f$d"; done
one=$("$walk" --drive "c=$dir/tree" --no-after-date --threads 1 c: 2>/dev/null)
[ "$("$walk" --drive "c=$dir/tree" --no-after-date c: 2>/dev/null)" = "$one" ] || fail "read-ahead rows differ"
[ "$("$walk" --drive "c=$dir/tree" --no-after-date --threads 4 c: 2>/dev/null)" = "$one" ] || fail "4 threads differ"
[ "$("$walk" --drive "c=$dir/tree" --no-after-date --all-remote c: 2>/dev/null)" = "$one" ] || fail "remote readers differ"
grep -qF $'c:\\w6\\x\ty\t' <<<"$one" || fail "rows of the deepest folders missing: $one"

# Bad options: exit 2 and one line on standard error, nothing on standard output.
for args in "--unit 7 c:" "--threshold 2024-05-01 c:" "--drive cc c:" "--bogus c:" "" "--mask" "--threads 0 c:" "--remote-readers -1 c:"; do
  set +e
  # shellcheck disable=SC2086
  out=$("$walk" $args 2>"$dir/err")
  rc=$?
  set -e
  [ "$rc" = 2 ] || fail "'$args' exited $rc"
  [ -z "$out" ] || fail "'$args' wrote to standard output"
  [ "$(wc -l <"$dir/err")" = 1 ] || fail "'$args': $(cat "$dir/err")"
done
echo "walk_cli_test: all passed"
