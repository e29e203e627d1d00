#!/usr/bin/env bash
# Walk benchmark: nuvero-walk against GNU find and bfs, interleaved over several rounds.
#
#   bench/search/walk_bench.sh [ROUNDS] [ROOT...]
#
# Default roots: the generated tree (bench/search/make_tree.py, made in
# ${NUVERO_BENCH_TREE:-/tmp/nuvero-bench-tree} when missing) and /usr. Needs a built
# nuvero-walk (NUVERO_WALK, default build/bench/search/nuvero-walk) and bfs.
#
# Pairs timed, each command's output to /dev/null:
#   "Changing":   find ROOT -newermt T -printf '%h\t%f\n'
#                 nuvero-walk --drive c=ROOT --time-kind 1 --threshold T c:
#   "Appearance": bfs ROOT -newerBt T -printf '%h\t%f\n'
#                 nuvero-walk --drive c=ROOT --time-kind 0 --threshold T c:
# Before timing, the hit counts are compared with find and bfs expressions that skip what
# the walk skips (names starting with ".", and symbolic links, which it never lists nor
# follows; the root itself is no row).
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-7}
shift || true
walk=${NUVERO_WALK:-$here/build/bench/search/nuvero-walk}
tree=${NUVERO_BENCH_TREE:-/tmp/nuvero-bench-tree}
threshold_walk=${NUVERO_BENCH_THRESHOLD:-"02.05.2024 00:00:00"}
# The same moment for find and bfs.
threshold_find=$(echo "$threshold_walk" | sed -E 's/^(..)\.(..)\.(....) (.*)$/\3-\2-\1 \4/')

[ -x "$walk" ] || { echo "walk_bench: build nuvero-walk first ($walk)" >&2; exit 2; }
command -v bfs >/dev/null || { echo "walk_bench: bfs is missing (apt-get install bfs)" >&2; exit 2; }

roots=("$@")
if [ ${#roots[@]} -eq 0 ]; then
  [ -d "$tree" ] || python3 "$here/bench/search/make_tree.py" "$tree"
  roots=("$tree" /usr)
fi

# Seconds taken by a command, its output thrown away.
timed() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", (b - a) / 1e9 }'
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

echo "# walk_bench: $rounds rounds, threshold $threshold_walk ($threshold_find), $(nproc) cores"
for root in "${roots[@]}"; do
  run_find() { find "$root" -newermt "$threshold_find" -printf '%h\t%f\n'; }
  run_bfs() { bfs "$root" -newerBt "$threshold_find" -printf '%h\t%f\n'; }
  run_walk_changing() { "$walk" --drive "c=$root" --time-kind 1 --threshold "$threshold_walk" c:; }
  run_walk_appearance() { "$walk" --drive "c=$root" --time-kind 0 --threshold "$threshold_walk" c:; }

  # Counts, also warming the caches.
  n_entries=$(entries_of "$root")
  n_find_plain=$(run_find | wc -l)
  n_find_same=$(find "$root" -mindepth 1 -name '.*' -prune -o ! -type l -newermt "$threshold_find" -printf '%h\t%f\n' | wc -l)
  n_walk_changing=$(run_walk_changing 2>/dev/null | wc -l)
  n_bfs_plain=$(run_bfs | wc -l)
  n_bfs_same=$(bfs "$root" -mindepth 1 -name '.*' -prune -o ! -type l -newerBt "$threshold_find" -printf '%h\t%f\n' | wc -l)
  n_walk_appearance=$(run_walk_appearance 2>/dev/null | wc -l)
  echo
  echo "## $root: $n_entries entries"
  echo "hits Changing:   find $n_find_plain (same skips: $n_find_same), nuvero-walk $n_walk_changing"
  echo "hits Appearance: bfs $n_bfs_plain (same skips: $n_bfs_same), nuvero-walk $n_walk_appearance"
  [ "$n_find_same" = "$n_walk_changing" ] || echo "WARNING: Changing counts differ"
  [ "$n_bfs_same" = "$n_walk_appearance" ] || echo "WARNING: Appearance counts differ"

  t_find=() t_wc=() t_bfs=() t_wa=()
  for ((i = 0; i < rounds; i++)); do
    t_find+=("$(timed run_find)")
    t_wc+=("$(timed run_walk_changing)")
    t_bfs+=("$(timed run_bfs)")
    t_wa+=("$(timed run_walk_appearance)")
  done
  m_find=$(printf '%s\n' "${t_find[@]}" | median)
  m_wc=$(printf '%s\n' "${t_wc[@]}" | median)
  m_bfs=$(printf '%s\n' "${t_bfs[@]}" | median)
  m_wa=$(printf '%s\n' "${t_wa[@]}" | median)
  echo "| pair | reference s | nuvero-walk s | ratio | us/entry (ref / walk) |"
  echo "|---|---|---|---|---|"
  printf '| Changing vs find | %s | %s | %s | %s / %s |\n' "$m_find" "$m_wc" \
    "$(calc 'w / r' w="$m_wc" r="$m_find")" "$(calc 't * 1e6 / n' t="$m_find" n="$n_entries")" \
    "$(calc 't * 1e6 / n' t="$m_wc" n="$n_entries")"
  printf '| Appearance vs bfs | %s | %s | %s | %s / %s |\n' "$m_bfs" "$m_wa" \
    "$(calc 'w / r' w="$m_wa" r="$m_bfs")" "$(calc 't * 1e6 / n' t="$m_bfs" n="$n_entries")" \
    "$(calc 't * 1e6 / n' t="$m_wa" n="$n_entries")"
  echo "all rounds (s): find ${t_find[*]} | walk-changing ${t_wc[*]} | bfs ${t_bfs[*]} | walk-appearance ${t_wa[*]}"
done
