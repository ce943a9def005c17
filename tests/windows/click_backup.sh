#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed desktop program under wine on an X server of its own (Xvfb): COM port PORT
# mapped to the Linux simulator's terminal, a backup name typed, a real mouse click on the
# Backup button, the backup file checked, then the window closed with Alt+C (its Close
# button's mnemonic) and status 0 expected. Before closing, the About command is chosen from
# the window's system menu (opened from the frame's icon, its last command) and its box
# closed with Enter. Then the program is ended from outside twice while it restores that
# backup to a logger that holds off every answer for a while: by `taskkill` (WM_CLOSE) and by
# the end of the session (`wineboot --end-session`); each time the restore is cancelled, its
# cut-off upload deleted and its record kept. Run by installer_test.sh inside its prefix.
#
#     click_backup.sh INSTALL_FOLDER SIM PORT WORK_FOLDER
set -euo pipefail
INSTDIR=$1
SIM=$2
PORT=$3
WORK=$4
TITLE="Vantrel Utilities"
SETTINGS='HKCU\Software\Ortvel\VantrelUtilities\Settings'
NAME=clicked
# Where the name box and the Backup button lie in the main window, from the frame's top-left
# corner, with wine drawing the frame: points inside both in a new prefix's fallback fonts
# and in wine's own (fonts-wine) (the page is laid out by Qt: these hold while its layout
# does; a click that misses ends in "no backup" below, with the positions named).
NAME_BOX=(431 74)
BACKUP_BUTTON=(73 176)
MENU_ICON=(13 12)     # the system menu's icon in the frame

XVFB_PID=""
SIM_PID=""
APP_PID=""
cleanup() {
  for pid in "$APP_PID" "$SIM_PID" "$XVFB_PID"; do
    [ -n "$pid" ] && { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
  done
  wine reg delete 'HKLM\Software\Wine\Ports' /v "$PORT" /f >/dev/null 2>&1 || true
}
trap cleanup EXIT
fail() { echo "click-backup: $*" >&2; exit 1; }

# --- An X server of its own, on the first free display from :140 up
source "$(dirname "${BASH_SOURCE[0]}")/../support/start_xvfb.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../support/wait_for_window.sh"
start_xvfb 140 180 1280x900 "$WORK/xvfb.log" || fail "could not start Xvfb on any display from :140 to :180"
export DISPLAY=":$DISPLAY_NUMBER"

# --- The simulator with a sample logger, on the COM port (wine reads the mapping when its
# server starts)
mkdir -p "$WORK/image" "$WORK/backups"
sample="$(dirname "$SIM")/vantrel-make-sample-image"
if [ -x "$sample" ]; then
  "$sample" "$WORK/image" --profiles 2 --readings 24 --sensors 4 --seed 7 >/dev/null
else
  head -c 3000 /dev/urandom >"$WORK/image/DATA.BIN"
fi
"$SIM" --link "$WORK/line" --image "$WORK/image" --baud 38400 >"$WORK/sim.log" 2>&1 &
SIM_PID=$!
for _ in $(seq 100); do grep -q '^ready' "$WORK/sim.log" && break; sleep 0.05; done
grep -q '^ready' "$WORK/sim.log" || fail "the simulator did not start"
# Wine draws the window frame itself (as on Windows), so the positions hold without a
# window manager.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Ports' /v "$PORT" /d "$(readlink -f "$WORK/line")" /f >/dev/null 2>&1
wine reg add "$SETTINGS" /v Port /d "$PORT" /f >/dev/null 2>&1
wine reg add "$SETTINGS" /v "Baud Rate" /t REG_DWORD /d 2 /f >/dev/null 2>&1
wine reg add "$SETTINGS" /v "Default Path" /d "$(winepath -w "$WORK/backups")" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w

# --- The program, its window, the click
wine "$INSTDIR/vantrel-utilities.exe" >"$WORK/click-utilities.log" 2>&1 &
APP_PID=$!
WINDOW=$(wait_for_window 60 "^$TITLE\$") || true
[ -n "$WINDOW" ] || fail "no window titled \"$TITLE\" within 60 s"
sleep 1
xdotool windowfocus --sync "$WINDOW"  # no window manager gives it the keyboard
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
echo "click-backup: window $WIDTH x $HEIGHT at $X,$Y"
xdotool mousemove --sync $((X + NAME_BOX[0])) $((Y + NAME_BOX[1])) click 1
xdotool key --clearmodifiers ctrl+a  # over the proposed name
xdotool type --delay 50 "$NAME"
xdotool mousemove --sync $((X + BACKUP_BUTTON[0])) $((Y + BACKUP_BUTTON[1])) click 1

for _ in $(seq 300); do
  ls "$WORK/backups" 2>/dev/null | grep -qi "^$NAME\.vbk$" && break
  sleep 0.1
done
ls "$WORK/backups" | grep -qi "^$NAME\.vbk$" ||
  fail "no backup $NAME.VBK 30 s after the click at ${BACKUP_BUTTON[*]} (found: $(ls "$WORK/backups"))"
echo "click-backup: backed up to $(ls "$WORK/backups")"

# About, from the system menu.
sleep 1
xdotool mousemove --sync $((X + MENU_ICON[0])) $((Y + MENU_ICON[1])) click 1
sleep 1
xdotool key --clearmodifiers Up Return  # the menu's last command: "About Vantrel Utilities..."
ABOUT=$(wait_for_window 20 "^About Vantrel Utilities\$") ||
  true
[ -n "$ABOUT" ] || fail "the system menu's About command showed no About box"
xdotool windowfocus --sync "$ABOUT"
xdotool key --clearmodifiers Return
for _ in $(seq 50); do
  xdotool search --onlyvisible --name "^About Vantrel Utilities\$" >/dev/null 2>&1 || break
  sleep 0.1
done
echo "click-backup: About shown from the system menu and closed"

# Close: the button's mnemonic (the backup ends with its status line, no box).
xdotool windowfocus --sync "$WINDOW"
xdotool key --clearmodifiers alt+c
for _ in $(seq 150); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$APP_PID" 2>/dev/null && fail "vantrel-utilities still runs 15 s after Alt+C (Close)"
status=0
wait "$APP_PID" || status=$?
APP_PID=""
[ "$status" -eq 0 ] || fail "vantrel-utilities ended with status $status after Close"
echo "click-backup: closed with status 0"

# --- Ended from outside during a restore. The restore of the backup just made starts as its
# button would (VANTREL_UTILITIES_START) on a logger that holds off each answer for 0.4 s: it
# is sure to be uploading when its record says so, and for seconds after.
RECORD='HKCU\Software\Ortvel\VantrelUtilities\Restore 1'
record() {  # record NAME: a value of the restore's record
  wine reg query "$RECORD" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
kill "$SIM_PID" 2>/dev/null || true
wait "$SIM_PID" 2>/dev/null || true
rm -f "$WORK/line"
"$SIM" --link "$WORK/line" --image "$WORK/image" --baud 38400 --holdoff-every 1 --holdoff-ms 400 \
  --dump "$WORK/after" >"$WORK/sim.log" 2>&1 &
SIM_PID=$!
for _ in $(seq 100); do grep -q '^ready' "$WORK/sim.log" && break; sleep 0.05; done
wine reg add 'HKLM\Software\Wine\Ports' /v "$PORT" /d "$(readlink -f "$WORK/line")" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w

# restore_then END EXPECTED_STATUS: starts the restore, runs END once it uploads, and expects
# the program to end with EXPECTED_STATUS, its record saying so and no file cut off.
restore_then() {
  VANTREL_UTILITIES_START=restore wine "$INSTDIR/vantrel-utilities.exe" >"$WORK/restore.log" 2>&1 &
  APP_PID=$!
  local box
  box=$(wait_for_window 60 "^Restore Warning") || true
  [ -n "$box" ] || fail "no Restore Warning box within 60 s"
  xdotool windowfocus --sync "$box"
  xdotool key --clearmodifiers Return
  for _ in $(seq 150); do [ -n "$(record Uploading)" ] && break; sleep 0.2; done
  [ -n "$(record Uploading)" ] || fail "the restore never said it uploads"
  local started=$SECONDS
  $1 >/dev/null 2>&1 || true
  for _ in $(seq 150); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$APP_PID" 2>/dev/null && fail "vantrel-utilities still runs 15 s after: $1"
  local status=0
  wait "$APP_PID" || status=$?
  APP_PID=""
  [ "$status" -eq "$2" ] || fail "vantrel-utilities ended with status $status after $1, not $2"
  [ "$(record Ending)" = "program ended" ] && [ -z "$(record Uploading)$(record "Cut Off")" ] ||
    fail "after $1 the record says: $(wine reg query "$RECORD" 2>&1 | tr -d '\r')"
  echo "click-backup: $1 ended the restore in $((SECONDS - started)) s, status $status, record kept"
}
restore_then "wine taskkill /IM vantrel-utilities.exe" 143
# The next start tells the restore that was cut off, in a box, before it restores again.
VANTREL_UTILITIES_START=close wine "$INSTDIR/vantrel-utilities.exe" >"$WORK/notice.log" 2>&1 &
APP_PID=$!
NOTICE=$(wait_for_window 60 "^Restore Incomplete") || true
[ -n "$NOTICE" ] || fail "the next start told no cut-off restore"
xdotool windowfocus --sync "$NOTICE"
xdotool key --clearmodifiers Return
wait "$APP_PID" || fail "vantrel-utilities ended with status $? after the notice"
APP_PID=""
restore_then "wineboot --end-session" 0

# The logger holds only whole files of the backup: the one cut off was deleted.
kill "$SIM_PID" 2>/dev/null || true
wait "$SIM_PID" 2>/dev/null || true
SIM_PID=""
for file in "$WORK/after"/*; do
  cmp -s "$file" "$WORK/image/$(basename "$file")" || fail "the logger holds $(basename "$file") cut off"
done
echo "click-backup: the logger holds $(ls "$WORK/after" | wc -l) whole files of $(ls "$WORK/image" | wc -l)"
