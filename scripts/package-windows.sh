#!/usr/bin/env bash
# Builds what a Windows user downloads, from the gathered program folder
# (scripts/build-windows.sh): the portable zip and the installer (NSIS, packaging/nuvero.nsi)
#   build/windows/dist/Nuvero-<version>-win64.zip
#   build/windows/dist/Nuvero-<version>-setup.exe
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
NUVERO_SETUP_EXTRA="${NUVERO_SETUP_EXTRA:-} nsis zip" "$here/scripts/setup.sh"
"$here/scripts/build-windows.sh"

version=$(sed -n 's/^project(Nuvero VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
[ -n "$version" ] || { echo "package-windows: no version in CMakeLists.txt" >&2; exit 1; }
build="$here/build/windows"
folder="$build/Nuvero"
icon="$build/nuvero/app/winres/nuvero.ico"
dist="$build/dist"
rm -rf "$dist"
mkdir -p "$dist"

# The zip unpacks to one folder, Nuvero, that runs from wherever it is put.
(cd "$build" && zip -qrX "$dist/Nuvero-$version-win64.zip" Nuvero)

# The installer's file list: exactly the folder's files, so that the uninstaller removes
# what the installer wrote and nothing else.
files="$dist/files.nsh"
{
  echo '!macro InstallFiles'
  (cd "$folder" && find . -type d | sort) | while read -r dir; do
    rel=${dir#./}
    rel=${rel#.}
    echo "  SetOutPath \"\$INSTDIR${rel:+\\${rel//\//\\}}\""
    find "$folder/$rel" -maxdepth 1 -type f | sort | while read -r file; do
      echo "  File \"$file\""
    done
  done
  echo '  SetOutPath "$INSTDIR"'
  echo '!macroend'
  echo '!macro RemoveFiles'
  (cd "$folder" && find . -type f | sort) | while read -r file; do
    rel=${file#./}
    echo "  Delete \"\$INSTDIR\\${rel//\//\\}\""
  done
  (cd "$folder" && find . -mindepth 1 -type d | sort -r) | while read -r dir; do
    rel=${dir#./}
    echo "  RMDir \"\$INSTDIR\\${rel//\//\\}\""
  done
  echo '!macroend'
} >"$files"
if (cd "$folder" && find . | grep -q '["$]'); then
  echo "package-windows: a file name in $folder holds \" or \$" >&2
  exit 1
fi

makensis -V2 -NOCD \
  -DVERSION="$version" -DSOURCE="$folder" -DFILES="$files" -DICON="$icon" \
  -DSIZE_KB="$(du -sk "$folder" | cut -f1)" -DOUTFILE="$dist/Nuvero-$version-setup.exe" \
  "$here/packaging/nuvero.nsi"
(cd "$dist" && du -h Nuvero-*) | sed "s/^/package-windows: /"
