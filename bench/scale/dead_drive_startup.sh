#!/usr/bin/env bash
# Start-up with a dead drive: launch to the first paint of the window (median of 7 fresh
# processes) with C: on a small folder and D: on nuvero-testfs, mounted with the options
# given (say "--delay-us 15000000" for a drive that answers each request after 15 s, or
# "--hang ."); with no options D: is the plain folder, for comparison.
#
#   bench/scale/dead_drive_startup.sh [TESTFS OPTION]...
#
# NUVERO_SCALE_BENCH and NUVERO_TESTFS name the programs (default: build/normal's).
# Runs offscreen unless QT_QPA_PLATFORM says otherwise. Needs /dev/fuse.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
bench=${NUVERO_SCALE_BENCH:-$here/build/normal/bench/scale/nuvero-scale-bench}
testfs=${NUVERO_TESTFS:-$here/build/normal/bench/fusefs/nuvero-testfs}
[ -x "$bench" ] && [ -x "$testfs" ] || { echo "dead_drive_startup: build nuvero-scale-bench and nuvero-testfs first" >&2; exit 2; }
work=$(mktemp -d)
mkdir -p "$work/c" "$work/d/folder" "$work/mnt" "$work/config/nuvero"
touch "$work/c/file.txt" "$work/d/folder/file.txt"
drive_d=$work/d
fs=
cleanup() {
  if [ -n "$fs" ]; then kill -TERM "$fs" 2>/dev/null || true; wait "$fs" 2>/dev/null || true; fi
  umount -l "$work/mnt" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
if [ $# -gt 0 ]; then
  "$testfs" "$@" "$work/d" "$work/mnt" >"$work/testfs.out" &
  fs=$!
  for _ in $(seq 100); do grep -q ready "$work/testfs.out" 2>/dev/null && break; sleep 0.1; done
  grep -q ready "$work/testfs.out" || { echo "dead_drive_startup: nuvero-testfs did not mount" >&2; exit 1; }
  drive_d=$work/mnt
fi
printf '[drives]\nc=%s\nd=%s\n' "$work/c" "$drive_d" >"$work/config/nuvero/lamer.Ini"
echo "# start-up with D: on ${*:-a plain folder}, 7 fresh processes (load $(cut -d' ' -f1-3 /proc/loadavg))"
for _ in 1 2 3 4 5 6 7; do
  launched=$(date +%s%N)
  line=$(XDG_CONFIG_HOME=$work/config "$bench" startup 2>/dev/null)
  shown=${line##*at }
  shown=${shown% ns}
  echo "$(( (shown - launched) / 1000 ))" >>"$work/times"
  echo "$line; $(( (shown - launched) / 1000 )) us after the launch"
done
sort -n "$work/times" | awk '{ v[NR] = $1 } END { printf "start-up median (launch to first paint): %.1f ms\n", v[(NR + 1) / 2] / 1000 }'
