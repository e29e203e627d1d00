#!/usr/bin/env bash
# Smoke test of the Windows program under Wine, on a virtual X display: the window
# "Nuvero v.3.0" appears; a search of a drive with planted files, with "AutoSave" checked,
# writes the automatic list file with those files (Cyrillic names in code page 1251, as a
# Russian Windows writes them); a close ends the program with status 0.
#
# Builds the program first (scripts/build-windows.sh; Qt comes from its cache). Each run
# takes a new Wine prefix in build/windows-gui/. The settings file lamer.Ini holds a
# stored value, so the threshold is the zero date-time (30.12.1899 00:00:00): every file
# counts, and the automatic file is "d:\fls100 00 00_30 12 1899".
#
# NUVERO_SCREENSHOT=file.png keeps a picture of the window after the search.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
NUVERO_SETUP_EXTRA="${NUVERO_SETUP_EXTRA:-} wine wine64 locales xdotool python3-xlib x11-apps netpbm" \
  "$here/scripts/setup.sh"
"$here/scripts/build-windows.sh"

work="$here/build/windows-gui"
rm -rf "$work"
mkdir -p "$work/d" "$work/e/sub"
printf 'a' >"$work/e/a.txt"
printf 'report' >"$work/e/sub/Отчёт.doc"

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

"${russian[@]}" wine "$here/build/windows/Nuvero/Nuvero.exe" >"$work/wine.log" 2>&1 &
app=$!
window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Nuvero v\.3\.0$' | head -n 1) || {
  echo "windows-gui: the window did not appear" >&2
  exit 1
}
echo "windows-gui: window shown ($(xdotool getwindowgeometry "$window" | tr -s ' \n' ' '))"

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
[ -f "$list" ] || { echo "windows-gui: no automatic list file $list" >&2; exit 1; }
found=0
LC_ALL=C grep -aq $'a\\.txt \r$' "$list" && found=$((found + 1))
LC_ALL=C grep -aq $'\xCE\xF2\xF7\xB8\xF2\\.doc \r$' "$list" && found=$((found + 1))
if [ "$found" -ne 2 ]; then
  echo "windows-gui: the automatic list file lacks the planted files:" >&2
  od -c "$list" | head -n 20 >&2
  exit 1
fi
echo "windows-gui: search found the planted files; automatic list file written in code page 1251"
if [ -n "${NUVERO_SCREENSHOT:-}" ]; then
  xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$NUVERO_SCREENSHOT"
  echo "windows-gui: screenshot $NUVERO_SCREENSHOT"
fi

/usr/bin/python3 "$here/scripts/close_window.py" "Nuvero v.3.0" 15
status=0
timeout 30 tail --pid="$app" -f /dev/null || { echo "windows-gui: Nuvero did not end after the close" >&2; exit 1; }
wait "$app" || status=$?
app=""
if [ "$status" -ne 0 ]; then
  echo "windows-gui: Nuvero ended with status $status" >&2
  exit 1
fi
echo "windows-gui: shown, searched, closed with status 0"
