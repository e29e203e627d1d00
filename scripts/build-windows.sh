#!/usr/bin/env bash
# Cross-builds the whole program for 64-bit Windows and gathers a folder that runs on
# Windows or under Wine: build/windows/Nuvero/ with Nuvero.exe, the Qt DLLs, the
# platform plugin and the MinGW runtime DLLs.
#
# Qt for Windows is built here from Debian's own qt6-base source package, the version of
# the host's Qt, whose tools (moc, uic, rcc) serve as host tools of the cross build. Only
# Core, Gui and Widgets are built, as shared DLLs. The result is kept in build/qt-mingw/
# and built again only when its install folder is incomplete, of another version or was
# configured with other options.
#
# The program file's icon is drawn from packaging/nuvero.svg (rsvg-convert, icotool) and
# compiled with its version information by windres (cmake/WindowsResources.cmake).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
NUVERO_SETUP_EXTRA="${NUVERO_SETUP_EXTRA:-} dpkg-dev g++-mingw-w64-x86-64-posix librsvg2-bin icoutils" \
  "$here/scripts/setup.sh"

jobs=${NUVERO_QT_JOBS:-$(nproc)}
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
qt_root="$here/build/qt-mingw"
qt_prefix="$qt_root/install"
stamp="$qt_prefix/nuvero-built-from"

fetch_qt_source() {
  # apt-get source needs a deb-src entry; the Debian image ships binary entries only.
  if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "build-windows: adding deb-src entries for apt-get source"
    local sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/nuvero-deb-src.sources >/dev/null
    "${sudo_cmd[@]}" apt-get update -qq
  fi
  rm -rf "$qt_root/src"
  mkdir -p "$qt_root/src"
  (cd "$qt_root/src" && apt-get source -qq "qt6-base=$qt_version" >/dev/null)
}

# Debian's source lacks the Wintab headers (tablet input). Two features stay on when what
# they need is off, and then break the Windows plugin: dynamic OpenGL without OpenGL, the
# DirectWrite font database without Direct2D (GDI's serves). The host's Qt gives moc,
# uic, rcc and the host parts of Qt's CMake files.
qt_options=(
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" -DNUVERO_MINGW_SHARED_RUNTIME=ON
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$qt_prefix" -DBUILD_SHARED_LIBS=ON
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF
  -DFEATURE_printsupport=OFF -DFEATURE_testlib=OFF -DFEATURE_concurrent=OFF
  -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF
  -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_zstd=OFF -DFEATURE_pkg_config=OFF
  -DFEATURE_tabletevent=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_directwrite3=OFF
)
# What the cache must have been built from: the version and these options.
wanted="$qt_version $(printf '%s\n' "${qt_options[@]}" | sha256sum | cut -c1-16)"

build_qt() {
  fetch_qt_source
  local source
  source=$(find "$qt_root/src" -maxdepth 1 -mindepth 1 -type d -name 'qt6-base-*' | head -n 1)
  rm -rf "$qt_root/build" "$qt_prefix"
  nice -n 19 cmake -S "$source" -B "$qt_root/build" -G Ninja "${qt_options[@]}"
  nice -n 19 cmake --build "$qt_root/build" -j "$jobs"
  cmake --install "$qt_root/build" >/dev/null
  echo "$wanted" >"$stamp"
}

if [ "$(cat "$stamp" 2>/dev/null)" = "$wanted" ] &&
  [ -f "$qt_prefix/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ] &&
  [ -f "$qt_prefix/plugins/platforms/qwindows.dll" ]; then
  echo "build-windows: Qt $qt_version for MinGW-w64 is built already ($qt_prefix)"
else
  echo "build-windows: building Qt $qt_version for MinGW-w64 (long)"
  build_qt
fi

# The program, linked against those DLLs (Qt's toolchain file chains ours and adds the Qt
# folder to the places the cross build may search).
build="$here/build/windows"
cmake -S "$here" -B "$build/nuvero" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" -DNUVERO_MINGW_SHARED_RUNTIME=ON \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DNUVERO_BUILD_TESTS=OFF -DNUVERO_BUILD_BENCH=OFF >/dev/null
nice cmake --build "$build/nuvero" -j "$jobs" --target nuvero

# The folder to run: the program, the Qt DLLs and plugins it loads, the MinGW runtime.
out="$build/Nuvero"
rm -rf "$out"
mkdir -p "$out/platforms" "$out/styles"
cp "$build/nuvero/app/Nuvero.exe" "$out/"
cp "$qt_prefix"/bin/Qt6{Core,Gui,Widgets}.dll "$out/"
cp "$qt_prefix/plugins/platforms/qwindows.dll" "$out/platforms/"
cp "$qt_prefix"/plugins/styles/*.dll "$out/styles/" 2>/dev/null || rmdir "$out/styles"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  path=$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")
  [ -f "$path" ] || { echo "build-windows: $dll not found" >&2; exit 1; }
  cp "$path" "$out/"
done
x86_64-w64-mingw32-strip "$out"/*.dll "$out"/*/*.dll "$out/Nuvero.exe"
echo "build-windows: $out ($(du -sh "$out" | cut -f1))"
