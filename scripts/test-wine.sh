#!/usr/bin/env bash
# The Windows stage: cross-builds the Qt-free library (platform layer, walk) and its
# GoogleTest programs with MinGW-w64 and runs them under Wine with CTest. Installs the
# cross compiler and Wine when they are missing.
#
# Wine is given a prefix of its own inside the build folder (made once, kept between
# runs) and test drives T: to W:, each a host folder linked into the prefix before the
# wineserver of the test run starts, so that Wine's mount manager lists them as drives.
# The tests claim one drive per temporary tree (see tests/support/TempTree.h).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
NUVERO_SETUP_EXTRA="${NUVERO_SETUP_EXTRA:-} g++-mingw-w64-x86-64-posix wine wine64" "$here/scripts/setup.sh"

jobs=$(nproc)
build="$here/build/wine"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" -DNUVERO_WITH_QT=OFF >/dev/null
cmake --build "$build" -j "$jobs"

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer prompts
letters="T U V W"
export NUVERO_TEST_DRIVES="${letters// /}"

# One wineserver for each phase, started detached and with its output away from
# CTest's pipe: Wine's background processes (the server and the services the first
# program starts) would otherwise keep the pipe open after the tests end.
stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
trap stop_wine EXIT
started=$(date +%s)
if [ ! -d "$WINEPREFIX/drive_c" ]; then
  rm -rf "$WINEPREFIX"
  timeout 600 wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w
fi

# The test drives are linked in while no wineserver runs, so that the mount manager
# finds them when the next one starts.
rm -rf "$build/drives" # what a crashed test left behind: the tests take empty drives only
for letter in $letters; do
  folder="$build/drives/$letter"
  mkdir -p "$folder"
  ln -sfn "$folder" "$WINEPREFIX/dosdevices/${letter,,}:"
done
wineserver -p </dev/null >/dev/null 2>&1
wineboot </dev/null >/dev/null 2>&1 # starts the services
echo "wine: prefix ready in $(($(date +%s) - started)) s"

# The list file tests write Cyrillic names in the ANSI code page: Wine takes the code
# page from the Unix locale, and ru_RU gives 1251 (the locale need not be installed).
# Everything else runs in the default locale, whose system texts the tests compare.
list_tests='^ListFileWriter'
ctest --test-dir "$build" --output-on-failure -j "$jobs" -E "$list_tests"
LC_ALL=ru_RU.UTF-8 ctest --test-dir "$build" --output-on-failure -j "$jobs" -R "$list_tests"
