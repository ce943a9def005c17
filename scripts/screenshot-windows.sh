#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The README's picture of the desktop program under Windows (docs/windows-restore-export.png):
# the Restore / Export page listing two backups, drawn by wine on an X server of its own
# (Xvfb) with wine drawing the frame, in a new wine prefix that has wine's own fonts (Debian's
# fonts-wine: Tahoma for the text, Marlett for the caption buttons) as Windows has its own;
# a prefix without them draws a serif fallback and "0 1 r" for the buttons.
#   scripts/screenshot-windows.sh OUTPUT.png [WINDOWS_BIN] [LINUX_BIN]
# WINDOWS_BIN (default build-windows/bin) holds vantrel-utilities.exe, LINUX_BIN (default
# build/bin) the sample tools that make the backups. Builds nothing; the fonts come from
# /usr/share/wine/fonts (scripts/install-deps.sh windows), or VANTREL_WINE_FONTS.
set -euo pipefail

OUT=${1:?usage: scripts/screenshot-windows.sh OUTPUT.png [WINDOWS_BIN] [LINUX_BIN]}
WBIN=$(cd "${2:-build-windows/bin}" && pwd)
LBIN=$(cd "${3:-build/bin}" && pwd)
FONTS=${VANTREL_WINE_FONTS:-/usr/share/wine/fonts}
[ -f "$FONTS/tahoma.ttf" ] && [ -f "$FONTS/marlett.ttf" ] ||
  { echo "screenshot-windows: no wine fonts in $FONTS: install fonts-wine" >&2; exit 1; }
for tool in Xvfb xdotool xwd convert wine; do
  command -v "$tool" >/dev/null || { echo "screenshot-windows: $tool is missing" >&2; exit 1; }
done
for tool in vantrel-make-sample-image vantrel-pack-image; do
  [ -x "$LBIN/$tool" ] || { echo "screenshot-windows: $LBIN/$tool is missing" >&2; exit 1; }
done
[ -f "$WBIN/vantrel-utilities.exe" ] ||
  { echo "screenshot-windows: $WBIN/vantrel-utilities.exe is missing" >&2; exit 1; }
OUT=$(cd "$(dirname "$OUT")" && pwd)/$(basename "$OUT")

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-windows-shot.XXXXXX")
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME=$WORK/home
XVFB_PID=""
APP_PID=""
cleanup() {
  for pid in "$APP_PID" "$XVFB_PID"; do
    [ -n "$pid" ] && { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
  done
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$HOME"

wineboot -i >"$WORK/wineboot.log" 2>&1
wineserver -w
cp "$FONTS"/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

# Two backups in a folder a Windows user might keep them in.
backups=$WINEPREFIX/drive_c/Vantrel/Backups
mkdir -p "$backups"
seed=11
for title in "North Paddock" "South Field"; do
  "$LBIN/vantrel-make-sample-image" "$WORK/image-$seed" --profiles 2 --readings 48 --sensors 4 \
    --seed "$seed" >/dev/null
  "$LBIN/vantrel-pack-image" "$WORK/image-$seed" "$backups/$title.vbk" >/dev/null
  seed=$((seed + 1))
done
wine reg add 'HKCU\Software\Ortvel\VantrelUtilities\Settings' /v "Default Path" \
  /d 'C:\Vantrel\Backups' /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w

source "$(dirname "${BASH_SOURCE[0]}")/../tests/support/start_xvfb.sh"
start_xvfb 190 230 1024x768 "$WORK/xvfb.log" ||
  { echo "screenshot-windows: no free display from :190 to :230" >&2; exit 1; }
export DISPLAY=":$DISPLAY_NUMBER"
wine "$WBIN/vantrel-utilities.exe" >"$WORK/utilities.log" 2>&1 &
APP_PID=$!
WINDOW=$(timeout 60 xdotool search --sync --onlyvisible --name '^Vantrel Utilities$' | head -n 1) || true
[ -n "$WINDOW" ] || { echo "screenshot-windows: no window within 60 s" >&2; exit 1; }
sleep 1
xdotool windowfocus --sync "$WINDOW"
xdotool key --clearmodifiers alt+r  # the Restore / Export page
sleep 2
xwd -silent -id "$WINDOW" | convert xwd:- "$OUT"
xdotool key --clearmodifiers alt+c
wait "$APP_PID" || true
APP_PID=""
echo "screenshot-windows: $OUT ($(identify -format '%wx%h' "$OUT"))"
