#!/usr/bin/env bash
# Walk benchmark: nuvero-walk against GNU find and bfs, interleaved over several rounds.
#
#   bench/search/walk_bench.sh [ROUNDS] [ROOT...]
#
# Default roots: the generated tree (bench/search/make_tree.py, made in
# ${NUVERO_BENCH_TREE:-/tmp/nuvero-bench-tree} when missing) and /usr. Needs a built
# nuvero-walk (NUVERO_WALK, default build/normal/bench/search/nuvero-walk) and bfs.
#
# Pairs timed, each command's output to /dev/null:
#   "Changing":   find ROOT -newermt T -printf '%h\t%f\n'
#                 nuvero-walk --drive c=ROOT --time-kind 1 --threshold T c:
#   "Appearance": bfs ROOT -newerBt T -printf '%h\t%f\n'
#                 nuvero-walk --drive c=ROOT --time-kind 0 --threshold T c:
# nuvero-walk runs with its default threads (two read-ahead threads beside the walk); the same
# two walks with --threads 1 are timed too, for the single-thread figure.
# Before timing, the hit counts are compared with find and bfs expressions that skip what
# the walk skips (names starting with ".", and symbolic links, which it never lists nor
# follows; the root itself is no row).
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-7}
shift || true
walk=${NUVERO_WALK:-$here/build/normal/bench/search/nuvero-walk}
tree=${NUVERO_BENCH_TREE:-/tmp/nuvero-bench-tree}
threshold_walk=${NUVERO_BENCH_THRESHOLD:-"02.05.2024 00:00:00"}
# The same moment for find and bfs.
threshold_find=$(echo "$threshold_walk" | sed -E 's/^(..)\.(..)\.(....) +(.*)$/\3-\2-\1T\4/')

[ -x "$walk" ] || { echo "walk_bench: build nuvero-walk first ($walk)" >&2; exit 2; }
command -v bfs >/dev/null || { echo "walk_bench: bfs is missing (apt-get install bfs)" >&2; exit 2; }

roots=("$@")
if [ ${#roots[@]} -eq 0 ]; then
  [ -d "$tree" ] || python3 "$here/bench/search/make_tree.py" "$tree"
  roots=("$tree" /usr)
fi

# "WALL CPU": wall-clock and processor (user + system) seconds of a command, its output
# thrown away. The processor time is the steadier figure on a machine shared with others.
timed() {
  python3 - "$@" <<'PY'
import os, resource, subprocess, sys, time
before = resource.getrusage(resource.RUSAGE_CHILDREN)
start = time.perf_counter()
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
wall = time.perf_counter() - start
after = resource.getrusage(resource.RUSAGE_CHILDREN)
cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
print(f"{wall:.4f} {cpu:.4f}")
PY
}

# calc EXPRESSION VAR=VALUE...: an awk expression over the given values.
calc() {
  local expr=$1
  shift
  local vars=()
  for v in "$@"; do vars+=(-v "$v"); done
  awk "${vars[@]}" "BEGIN { printf \"%.2f\", $expr }"
}

median() { sort -g | awk '{ a[NR] = $1 } END { m = (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2; printf "%.3f", m }'; }

entries_of() { find "$1" -mindepth 1 | wc -l; }

echo "# walk_bench: $rounds rounds, threshold $threshold_walk ($threshold_find), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
for root in "${roots[@]}"; do
  cmd_find=(find "$root" -newermt "$threshold_find" -printf '%h\t%f\n')
  cmd_bfs=(bfs "$root" -newerBt "$threshold_find" -printf '%h\t%f\n')
  cmd_walk_changing=("$walk" --drive "c=$root" --time-kind 1 --threshold "$threshold_walk" c:)
  cmd_walk_appearance=("$walk" --drive "c=$root" --time-kind 0 --threshold "$threshold_walk" c:)
  cmd_walk1_changing=("${cmd_walk_changing[@]:0:1}" --threads 1 "${cmd_walk_changing[@]:1}")
  cmd_walk1_appearance=("${cmd_walk_appearance[@]:0:1}" --threads 1 "${cmd_walk_appearance[@]:1}")

  # Counts, also warming the caches.
  n_entries=$(entries_of "$root")
  n_find_plain=$("${cmd_find[@]}" | wc -l)
  n_find_same=$(find "$root" -mindepth 1 -name '.*' -prune -o ! -type l -newermt "$threshold_find" -printf '%h\t%f\n' | wc -l)
  n_walk_changing=$("${cmd_walk_changing[@]}" 2>/dev/null | wc -l)
  n_bfs_plain=$("${cmd_bfs[@]}" | wc -l)
  n_bfs_same=$(bfs "$root" -mindepth 1 -name '.*' -prune -o ! -type l -newerBt "$threshold_find" -printf '%h\t%f\n' | wc -l)
  n_walk_appearance=$("${cmd_walk_appearance[@]}" 2>/dev/null | wc -l)
  echo
  echo "## $root: $n_entries entries"
  echo "hits Changing:   find $n_find_plain (same skips: $n_find_same), nuvero-walk $n_walk_changing"
  echo "hits Appearance: bfs $n_bfs_plain (same skips: $n_bfs_same), nuvero-walk $n_walk_appearance"
  [ "$n_find_same" = "$n_walk_changing" ] || echo "WARNING: Changing counts differ"
  [ "$n_bfs_same" = "$n_walk_appearance" ] || echo "WARNING: Appearance counts differ"
  cmp -s <("${cmd_walk_appearance[@]}" 2>/dev/null) <("${cmd_walk1_appearance[@]}" 2>/dev/null) \
    || echo "WARNING: rows with read-ahead differ from rows without"

  names=(find walk-changing walk1-changing bfs walk-appearance walk1-appearance)
  declare -A wall=() cpu=()
  for ((i = 0; i < rounds; i++)); do
    for name in "${names[@]}"; do
      case $name in
        find) result=$(timed "${cmd_find[@]}") ;;
        bfs) result=$(timed "${cmd_bfs[@]}") ;;
        walk-changing) result=$(timed "${cmd_walk_changing[@]}") ;;
        walk-appearance) result=$(timed "${cmd_walk_appearance[@]}") ;;
        walk1-changing) result=$(timed "${cmd_walk1_changing[@]}") ;;
        walk1-appearance) result=$(timed "${cmd_walk1_appearance[@]}") ;;
      esac
      wall[$name]+="${result% *} "
      cpu[$name]+="${result#* } "
    done
  done
  med() { printf '%s\n' $1 | median; }
  echo "| pair | reference wall s | nuvero-walk wall s | ratio wall | reference CPU s | nuvero-walk CPU s | ratio CPU | us/entry CPU (ref / walk) |"
  echo "|---|---|---|---|---|---|---|---|"
  row() { # label ref walk
    local rw ww rc wc
    rw=$(med "${wall[$2]}") ww=$(med "${wall[$3]}") rc=$(med "${cpu[$2]}") wc=$(med "${cpu[$3]}")
    printf '| %s | %s | %s | %s | %s | %s | %s | %s / %s |\n' "$1" "$rw" "$ww" "$(calc 'w / r' w="$ww" r="$rw")" \
      "$rc" "$wc" "$(calc 'w / r' w="$wc" r="$rc")" "$(calc 't * 1e6 / n' t="$rc" n="$n_entries")" \
      "$(calc 't * 1e6 / n' t="$wc" n="$n_entries")"
  }
  row "Changing: nuvero-walk vs find" find walk-changing
  row "Appearance: nuvero-walk vs bfs" bfs walk-appearance
  row "Changing: nuvero-walk --threads 1 vs find" find walk1-changing
  row "Appearance: nuvero-walk --threads 1 vs bfs" bfs walk1-appearance
  for name in "${names[@]}"; do echo "  $name wall: ${wall[$name]}"; echo "  $name cpu:  ${cpu[$name]}"; done
  echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
done
