#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time on its seed
# corpus (fuzz/corpus/<target>). Fails on a crash, a sanitizer report or a hang.
# FUZZ_SECONDS sets the time per target (default 30: the eight targets run four minutes).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
seconds=${FUZZ_SECONDS:-30}
dir="$here/build/fuzz"
CC=clang CXX=clang++ cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNUVERO_SANITIZE=fuzz -DNUVERO_WITH_QT=OFF -DNUVERO_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)"

report="$dir/fuzz-report.txt"
: >"$report"
failed=0
for target in "$dir"/fuzz/fuzz_*; do
  name=$(basename "$target")
  corpus="$here/fuzz/corpus/$name"
  work=$(mktemp -d)
  cp -r "$corpus"/. "$work"/ 2>/dev/null || true
  log="$dir/$name.log"
  # -timeout: one input taking longer than 10 s is a hang; -rss_limit_mb: a leak or blow-up.
  if "$target" "$work" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
      -print_final_stats=1 -artifact_prefix="$dir/$name-" >"$log" 2>&1; then
    runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo "?")
    echo "$name: $runs runs in ${seconds}s, no failure" | tee -a "$report"
  else
    echo "$name: FAILED (see $log)" | tee -a "$report"
    tail -n 40 "$log"
    failed=1
  fi
  rm -rf "$work"
done
exit $failed
