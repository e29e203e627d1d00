#!/usr/bin/env bash
# Network-drive walk benchmark: find, bfs, fd -j64 and nuvero-walk over a FUSE mirror of a
# tree whose every request sleeps a given time (nuvero-testfs --delay-us), as a network
# drive's round trip would; interleaved over several rounds, delay by delay.
#
#   bench/search/remote_bench.sh [ROUNDS] [DELAY_US...]      (default: 3 rounds; 0 200 1000)
#
# The tree: bench/search/make_tree.py with folders at depths 1-6 (fan-out 5 4 3 3 3 2, 9
# files a folder: 1,885 folders and 16,974 files), made in
# ${NUVERO_REMOTE_TREE:-/tmp/nuvero-remote-tree} when missing. GNU find, bfs and the walk as
# before take about a minute a run at 1 ms, so they run ${NUVERO_REMOTE_SLOW_ROUNDS:-1}
# round(s) where the delay is above 0.
#
# Commands timed (output to /dev/null), MNT the mount point, T the threshold:
#   find MNT -newermt T -printf '%h\t%f\n'
#   bfs MNT -newermt T -printf '%h\t%f\n'
#   fdfind -u -j64 --changed-within 100000d . MNT
#   nuvero-walk --drive c=MNT --time-kind 1 --threshold T c:                 (default settings)
#   "before": $NUVERO_WALK_BEFORE --drive c=MNT --time-kind 1 --threshold T c:  (an earlier build's
#             nuvero-walk); without NUVERO_WALK_BEFORE, nuvero-walk ... --remote-readers 0 c:
#             (read as on a local disk)
# Before timing, nuvero-walk's rows over the mount are compared with its rows over the tree
# itself (--threads 1): they must be the same lines in the same order.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-3}
shift || true
delays=("$@")
[ ${#delays[@]} -gt 0 ] || delays=(0 200 1000)
slow_rounds=${NUVERO_REMOTE_SLOW_ROUNDS:-1}
walk=${NUVERO_WALK:-$here/build/normal/bench/search/nuvero-walk}
before=(${NUVERO_WALK_BEFORE:-$walk --remote-readers 0})
testfs=${NUVERO_TESTFS:-$here/build/normal/bench/fusefs/nuvero-testfs}
tree=${NUVERO_REMOTE_TREE:-/tmp/nuvero-remote-tree}
threshold_walk="02.05.2024 00:00:00"
threshold_find=2024-05-02T00:00:00

for tool in "$walk" "$testfs"; do
  [ -x "$tool" ] || { echo "remote_bench: build $tool first" >&2; exit 2; }
done
for tool in bfs fdfind; do
  command -v "$tool" >/dev/null || { echo "remote_bench: $tool is missing (scripts/setup.sh)" >&2; exit 2; }
done
[ -d "$tree" ] || python3 "$here/bench/search/make_tree.py" "$tree" --fanout 5 4 3 3 3 2 --files-per-folder 9

mnt=$(mktemp -d /tmp/nuvero-remote-mnt-XXXXXX)
fs_pid=
unmount() {
  if [ -n "$fs_pid" ]; then
    kill -TERM "$fs_pid" 2>/dev/null || true
    wait "$fs_pid" 2>/dev/null || true
    fs_pid=
  fi
  fusermount3 -u -z "$mnt" 2>/dev/null || true
}
trap 'unmount; rmdir "$mnt" 2>/dev/null || true' EXIT

# mount DELAY_US: starts the file system and waits for its "ready".
mount_delay() {
  exec {out}< <("$testfs" --delay-us "$1" "$tree" "$mnt" & echo "pid $!"; wait)
  read -r _ fs_pid <&"$out"
  local line
  while read -r -t 30 line <&"$out"; do
    [ "$line" = ready ] && return 0
  done
  echo "remote_bench: nuvero-testfs did not get ready" >&2
  exit 1
}

# "WALL" seconds of a command, its output thrown away.
timed() {
  python3 - "$@" <<'PY'
import subprocess, sys, time
start = time.perf_counter()
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print(f"{time.perf_counter() - start:.3f}")
PY
}
median() { sort -g | awk '{ a[NR] = $1 } END { m = (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2; printf "%.3f", m }'; }

echo "# remote_bench: $rounds rounds, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "# tree $tree: $(find "$tree" -mindepth 1 -type d | wc -l) folders, $(find "$tree" -type f | wc -l) files"
local_rows=$("$walk" --drive "c=$tree" --time-kind 1 --threshold "$threshold_walk" --threads 1 c: 2>/dev/null | md5sum)
echo "# before: ${before[*]}"
echo "| delay a request | find | bfs | fd -j64 | nuvero-walk, before | nuvero-walk, default | load |"
echo "|---|---|---|---|---|---|---|"
for delay in "${delays[@]}"; do
  mount_delay "$delay"
  remote_rows=$("$walk" --drive "c=$mnt" --time-kind 1 --threshold "$threshold_walk" c: 2>"$mnt.err" | md5sum)
  [ "$remote_rows" = "$local_rows" ] || echo "WARNING: rows over the mount differ from the tree's own ($delay us)"
  echo "  $(tail -1 "$mnt.err")" >&2
  rm -f "$mnt.err"
  declare -A wall=()
  names=(fd walk-default walk-before find bfs)
  for ((i = 0; i < rounds; i++)); do
    for name in "${names[@]}"; do
      if [ "$delay" -gt 0 ] && [ "$i" -ge "$slow_rounds" ] && { [ "$name" = find ] || [ "$name" = bfs ] || [ "$name" = walk-before ]; }; then
        continue
      fi
      case $name in
        find) t=$(timed find "$mnt" -newermt "$threshold_find" -printf '%h\t%f\n') ;;
        bfs) t=$(timed bfs "$mnt" -newermt "$threshold_find" -printf '%h\t%f\n') ;;
        fd) t=$(timed fdfind -u -j64 --changed-within 100000d . "$mnt") ;;
        walk-default) t=$(timed "$walk" --drive "c=$mnt" --time-kind 1 --threshold "$threshold_walk" c:) ;;
        walk-before) t=$(timed "${before[@]}" --drive "c=$mnt" --time-kind 1 --threshold "$threshold_walk" c:) ;;
      esac
      wall[$name]+="$t "
    done
  done
  med() { if [ -n "$1" ]; then printf '%s\n' $1 | median; else printf -- -; fi; }
  printf '| %s us | %s | %s | %s | %s | %s | %s |\n' "$delay" "$(med "${wall[find]:-}")" "$(med "${wall[bfs]:-}")" \
    "$(med "${wall[fd]:-}")" "$(med "${wall[walk-before]:-}")" "$(med "${wall[walk-default]:-}")" "$(cut -d' ' -f1 /proc/loadavg)"
  for name in "${names[@]}"; do echo "  $delay us $name: ${wall[$name]:-}" >&2; done
  unmount
done
