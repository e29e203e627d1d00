#!/usr/bin/env bash
# Sets up, builds and starts Nuvero.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
cmake -S "$here" -B "$here/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DNUVERO_BUILD_TESTS=OFF -DNUVERO_BUILD_BENCH=OFF >/dev/null
cmake --build "$here/build/release" --target nuvero
exec "$here/build/release/app/nuvero" "$@"
