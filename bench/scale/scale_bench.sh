#!/usr/bin/env bash
# Scale benchmark: the window through a search with a million hits, and its start-up.
#
#   bench/scale/scale_bench.sh [ROUNDS]
#
# The tree (about 100,000 folders and 900,000 files, so a million hits with "After date:"
# unchecked) is made by bench/search/make_tree.py in ${NUVERO_SCALE_TREE:-/tmp/nuvero-scale-tree}
# when missing. Needs a built nuvero-scale-bench (NUVERO_SCALE_BENCH, default
# build/normal/bench/scale/nuvero-scale-bench). Runs offscreen unless QT_QPA_PLATFORM says otherwise.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-3}
bench=${NUVERO_SCALE_BENCH:-$here/build/normal/bench/scale/nuvero-scale-bench}
tree=${NUVERO_SCALE_TREE:-/tmp/nuvero-scale-tree}
[ -x "$bench" ] || { echo "scale_bench: build nuvero-scale-bench first ($bench)" >&2; exit 2; }
[ -d "$tree" ] || python3 "$here/bench/search/make_tree.py" "$tree" --fanout 20 20 250 --files-per-folder 9

# Start-up: from the launch of a fresh process to the first paint of its window.
echo "# start-up, 7 fresh processes (load $(cut -d' ' -f1-3 /proc/loadavg))"
for _ in 1 2 3 4 5 6 7; do
  launched=$(date +%s%N)
  line=$("$bench" startup 2>/dev/null)
  shown=${line##*at }
  shown=${shown% ns}
  echo "$line; $(( (shown - launched) / 1000 )) us after the launch"
  echo $(( (shown - launched) / 1000 )) >>"${TMPDIR:-/tmp}/scale_startup.$$"
done
sort -n "${TMPDIR:-/tmp}/scale_startup.$$" | awk '{ v[NR] = $1 } END { printf "start-up median (launch to first paint): %.1f ms\n", v[(NR + 1) / 2] / 1000 }'
rm -f "${TMPDIR:-/tmp}/scale_startup.$$"
echo
"$bench" run "$tree" "$rounds" 2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2)
