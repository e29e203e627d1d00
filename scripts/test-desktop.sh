#!/usr/bin/env bash
# The program as a user meets it on a desktop: the normal build's nuvero on a virtual X
# display without a window manager, driven with the mouse and keyboard, closed the way a
# window manager's close button does (scripts/close_during_search.py):
#   - a close while a search waits on a folder that never answers (a dead network drive,
#     made with nuvero-testfs) ends the program within a second, with its list written;
#   - closes at 20 moments spread over a large search all count.
# NUVERO_DESKTOP_TREE picks the tree of the second check (default: made under build/).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
NUVERO_SETUP_EXTRA="python3-xlib" "$here/scripts/setup.sh"

dir="$here/build/normal"
cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j "$(nproc)" --target nuvero nuvero-testfs

# About 240,000 entries: a search of some seconds here, made once and kept.
tree=${NUVERO_DESKTOP_TREE:-$here/build/desktop-tree}
/usr/bin/python3 "$here/bench/search/make_tree.py" "$tree" --fanout 20 20 100 --files-per-folder 5 2>/dev/null

. "$here/scripts/xvfb.sh"
start_xvfb 1280x1024 80

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
check="$here/scripts/close_during_search.py"
/usr/bin/python3 "$check" dead-folder "$dir/app/nuvero" "$dir/bench/fusefs/nuvero-testfs"
/usr/bin/python3 "$check" closes "$dir/app/nuvero" "$tree" --runs 20
echo "desktop test: every close counted"
