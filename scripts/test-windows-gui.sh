#!/usr/bin/env bash
# Test of what a Windows user gets, under Wine on a virtual X display:
# - Nuvero.exe carries its icon (16, 32, 48 and 256 pixels) and version information;
# - the portable zip holds the gathered folder;
# - the installer, run with /S, puts the program into Program Files\Nuvero, a Start menu
#   shortcut and the uninstall entry (name, version, publisher, icon);
# - the installed program shows the window "Nuvero v.3.0" with the program's icon, and a
#   search of a drive with planted files, with "AutoSave" checked, writes the automatic
#   list file with those files (Cyrillic names in code page 1251, as a Russian Windows
#   writes them); its edit boxes show their text; a close ends it with status 0;
# - the uninstaller, run with /S, leaves no file, shortcut or uninstall entry behind.
#
# Builds the program, the zip and the installer first (scripts/package-windows.sh; Qt
# comes from its cache). Each run takes a new Wine prefix in build/windows-gui/. The
# settings file lamer.Ini holds a stored value, so the threshold is the zero date-time
# (30.12.1899 00:00:00): every file counts, and the automatic file is
# "d:\fls100 00 00_30 12 1899".
#
# fonts-wine comes in as with "apt install wine" (it is recommended), though Debian's Wine
# does not find its Tahoma and "MS Sans Serif": the prefix lacks them as a Debian user's
# does, and the edit box check sees that the program copes (app/WineFonts.h).
#
# NUVERO_SCREENSHOT=file.png keeps a picture of the window after the search.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
NUVERO_SETUP_EXTRA="${NUVERO_SETUP_EXTRA:-} wine wine64 fonts-wine locales xdotool python3-xlib x11-apps netpbm unzip" \
  "$here/scripts/setup.sh"
"$here/scripts/package-windows.sh"
fail() {
  echo "windows-gui: $*" >&2
  exit 1
}

version=$(sed -n 's/^project(Nuvero VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
build="$here/build/windows"
work="$here/build/windows-gui"
rm -rf "$work"
mkdir -p "$work/d" "$work/e/sub"
printf 'a' >"$work/e/a.txt"
printf 'report' >"$work/e/sub/Отчёт.doc"

# The program file: its icon in four sizes and its version information.
exe="$build/Nuvero/Nuvero.exe"
wrestool -x -t 14 "$exe" >"$work/exe.ico" || fail "Nuvero.exe has no icon"
sizes=$(icotool -l "$work/exe.ico" | sed -n 's/.*--width=\([0-9]*\) --height=\1 .*/\1/p' | sort -n | tr '\n' ' ')
[ "$sizes" = "16 32 48 256 " ] || fail "Nuvero.exe's icon has the sizes $sizes, not 16 32 48 256"
info=$(wrestool -x --raw -t 16 "$exe" | tr -d '\0')
for field in "ProductNameNuvero" "ProductVersion$version" "FileDescriptionNuvero file search" \
  "LegalCopyrightCopyright (C) 2026 Nuvero developers"; do
  grep -aqF "$field" <<<"$info" || fail "Nuvero.exe's version information lacks $field"
done
echo "windows-gui: Nuvero.exe carries its icon ($sizes) and version information"

# The zip holds exactly the gathered folder.
zip="$build/dist/Nuvero-$version-win64.zip"
setup="$build/dist/Nuvero-$version-setup.exe"
diff <(cd "$build" && find Nuvero -type f | sort) <(unzip -Z1 "$zip" | grep -v '/$' | sort) ||
  fail "$zip does not hold the folder $build/Nuvero"

display=":$((80 + RANDOM % 9))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
export WINEPREFIX="$work/wineprefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer prompts
# Wine takes the ANSI code page from the Unix locale: ru_RU gives 1251. The locale must
# exist on the host too: without it Wine reads host file names as ASCII and mangles the
# Cyrillic one.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
russian=(env LC_ALL=ru_RU.UTF-8)
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do
  xdotool getmouselocation >/dev/null 2>&1 && break
  sleep 0.1
done

started=$(date +%s)
timeout 600 "${russian[@]}" wineboot -i </dev/null >/dev/null 2>&1
wineserver -w
# Drives D: (where the automatic save writes) and E: (the planted files), linked in while
# no wineserver runs so that the mount manager lists them.
ln -sfn "$work/d" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$work/e" "$WINEPREFIX/dosdevices/e:"
printf '[s]\r\na=1\r\n' >"$WINEPREFIX/drive_c/windows/lamer.Ini"
echo "windows-gui: prefix ready in $(($(date +%s) - started)) s"

# Silent install, for all users.
installed="$WINEPREFIX/drive_c/Program Files/Nuvero"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Nuvero.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nuvero'
"${russian[@]}" wine "$setup" /S >"$work/setup.log" 2>&1 || fail "the installer failed (status $?)"
wineserver -w
diff <(cd "$build/Nuvero" && { find . -type f; echo ./Uninstall.exe; } | sort) \
  <(cd "$installed" && find . -type f | sort) || fail "the installer did not install the folder's files into $installed"
[ -f "$shortcut" ] || fail "no Start menu shortcut $shortcut"
entry=$(wine reg query "$key" 2>/dev/null | tr -d '\r') || fail "no uninstall entry $key"
for value in "DisplayName REG_SZ Nuvero" "DisplayVersion REG_SZ $version" "Publisher REG_SZ Nuvero" \
  'DisplayIcon REG_SZ "C:\Program Files\Nuvero\Nuvero.exe",0' \
  'UninstallString REG_SZ "C:\Program Files\Nuvero\Uninstall.exe"'; do
  grep -qF "$value" <<<"$(tr -s ' \t' ' ' <<<"$entry")" || fail "the uninstall entry lacks $value:"$'\n'"$entry"
done
echo "windows-gui: installed silently: files, Start menu shortcut, uninstall entry"

"${russian[@]}" wine 'C:\Program Files\Nuvero\Nuvero.exe' >"$work/wine.log" 2>&1 &
app=$!
window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Nuvero v\.3\.0$' | head -n 1) ||
  fail "the window did not appear"
echo "windows-gui: window shown ($(xdotool getwindowgeometry "$window" | tr -s ' \n' ' '))"
pngtopam -alphapam "$build/nuvero/app/winres/nuvero-32.png" >"$work/icon-32.pam"
/usr/bin/python3 "$here/scripts/check_window.py" icon "$window" "$work/icon-32.pam" || fail "the window lacks the program's icon"

# The X window is the window's client area (no window manager runs; Wine keeps the frame
# to itself). Places in it, from the window's layout: the "AutoSave" box sits in the strip's
# right-hand panel, 115 pixels from the right edge; the roots box and the Search button
# stay where they are.
width=$(xwininfo -id "$window" | awk '/Width:/ { print $2 }')
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
click $((width - 67)) 24 # AutoSave
click 301 36             # the roots box
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 50 'e:'
click 55 29 # Search

list="$work/d/fls100 00 00_30 12 1899"
for _ in $(seq 600); do
  [ -f "$list" ] && grep -aq 'doc' "$list" && break
  sleep 0.1
done
[ -f "$list" ] || fail "no automatic list file $list"
found=0
LC_ALL=C grep -aq $'a\\.txt \r$' "$list" && found=$((found + 1))
LC_ALL=C grep -aq $'\xCE\xF2\xF7\xB8\xF2\\.doc \r$' "$list" && found=$((found + 1))
if [ "$found" -ne 2 ]; then
  od -c "$list" | head -n 20 >&2
  fail "the automatic list file lacks the planted files"
fi
echo "windows-gui: search found the planted files; automatic list file written in code page 1251"

# Every edit box shows its text: the roots typed in, the mask "*.*", the threshold's date
# and time. Each point lies right of the box's text and left of its buttons.
xwd -silent -id "$window" | xwdtopnm 2>/dev/null >"$work/window.ppm"
[ -z "${NUVERO_SCREENSHOT:-}" ] || pnmtopng <"$work/window.ppm" >"$NUVERO_SCREENSHOT"
/usr/bin/python3 "$here/scripts/check_window.py" boxes "$work/window.ppm" \
  roots:301,36 mask:380,76 date:205,36 time:190,76 || fail "an edit box shows no text (see $work/window.ppm)"

/usr/bin/python3 "$here/scripts/close_window.py" "Nuvero v.3.0" 15
status=0
timeout 30 tail --pid="$app" -f /dev/null || fail "Nuvero did not end after the close"
wait "$app" || status=$?
app=""
[ "$status" -eq 0 ] || fail "Nuvero ended with status $status"
echo "windows-gui: shown, searched, closed with status 0"

# Silent uninstall. The uninstaller runs on from a copy in the temporary folder, so wait
# until Wine has no process left.
"${russian[@]}" wine 'C:\Program Files\Nuvero\Uninstall.exe' /S >>"$work/setup.log" 2>&1 ||
  fail "the uninstaller failed (status $?)"
wineserver -w
[ ! -e "$installed" ] || fail "the uninstaller left $(cd "$installed" && find . | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the uninstaller left the Start menu shortcut"
! wine reg query "$key" >/dev/null 2>&1 || fail "the uninstaller left the uninstall entry $key"
echo "windows-gui: uninstalled silently: no file, shortcut or uninstall entry left"
