#!/usr/bin/env bash
# Builds the Debian package, installs it with apt, starts the installed program on a
# virtual X display and checks that it shows its window and exits cleanly when closed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
NUVERO_SETUP_EXTRA="python3-xlib dpkg-dev file" "$here/scripts/setup.sh"

dir="$here/build/package"
cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DNUVERO_BUILD_TESTS=OFF -DNUVERO_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" --target nuvero
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/nuvero_*.deb | head -n 1)
echo "package: $(basename "$deb")"

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "$deb" >/dev/null
for f in /usr/bin/nuvero /usr/share/applications/nuvero.desktop \
         /usr/share/icons/hicolor/scalable/apps/nuvero.svg \
         /usr/share/metainfo/io.github.nuvero.Nuvero.metainfo.xml; do
  [ -e "$f" ] || { echo "missing after install: $f" >&2; exit 1; }
done

. "$here/scripts/xvfb.sh"
start_xvfb 1024x768 90

home=$(mktemp -d)
env -u QT_QPA_PLATFORM HOME="$home" XDG_CONFIG_HOME="$home/.config" QT_QPA_PLATFORM=xcb /usr/bin/nuvero &
app=$!
/usr/bin/python3 "$here/scripts/close_window.py" "Nuvero v.3.0" 15
status=0
timeout 15 tail --pid=$app -f /dev/null || { echo "nuvero did not exit after close" >&2; kill $app; exit 1; }
wait $app || status=$?
rm -rf "$home"
if [ "$status" -ne 0 ]; then
  echo "nuvero exited with status $status" >&2
  exit 1
fi
echo "package test: installed, shown, closed cleanly"
