#!/usr/bin/env bash
# Takes a screenshot of the Windows window as an engineer's laptop shows it at a display scale:
# the zip's velmor4_util.exe under Wine's own display driver on Xvfb, with the DPI that Windows
# gives at that scale (96 at 100 %, 144 at 150 %), in a private Wine prefix.
#   tools/windows/screenshot.sh [DPI [OUTPUT.png]]     (default: 144, docs/screenshot-150.png)
# Needs the unpacked zip that tools/windows.sh leaves in build/windows/zip-test/.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
dpi="${1:-144}"
out="${2:-$root/docs/screenshot-150.png}"
exe="$root/build/windows/zip-test/velmor4-util-1.0-win64/velmor4_util.exe"
[ -f "$exe" ] || { echo "No $exe: run tools/windows.sh first" >&2; exit 1; }
. "$root/tools/packages.sh"
ensure_packages xvfb imagemagick x11-apps

export WINEPREFIX="$root/build/wine-screenshot" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
display=":$((200 + RANDOM % 100))"
Xvfb "$display" -screen 0 1600x1200x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wineserver -k >/dev/null 2>&1 || true' EXIT
export DISPLAY="$display"
sleep 1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
fi
# Where Windows and Wine keep the display's DPI.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wineserver -w
# The host's QT_* variables do not reach a Windows program; nothing to unset.
wine "$exe" >/dev/null 2>&1 &
sleep "${VELMOR4_SHOT_DELAY:-8}"
id="$(xwininfo -root -tree | awk '/"Velmor4 util v1.0"/ { print $1; exit }')"
[ -n "$id" ] || { echo "The window did not appear" >&2; exit 1; }
xwininfo -id "$id" | awk '/Width|Height/ { printf "%s %s  ", $1, $2 } END { print "" }' >&2
import -window "$id" "$out"
echo "$out" >&2
