#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build into a temporary prefix and checks what was installed; then starts the
# installed desktop program on an X server of its own (Xvfb), with settings of its own,
# waits for its main window, closes it with its Close button (Alt+C) and expects the
# program to end with status 0 within a few seconds.
#
#     gui_smoke.sh BUILD_FOLDER [CMAKE]
set -euo pipefail

BUILD=${1:?usage: gui_smoke.sh BUILD_FOLDER [CMAKE]}
CMAKE=${2:-cmake}
TITLE="Vantrel Utilities"
ICON_SIZES=(16 22 24 32 48 64 128 256)
WINDOW_WAIT=30 # seconds for the main window to appear
EXIT_WAIT=10   # seconds for the program to end after Close

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-gui-smoke.XXXXXX")
PREFIX="$WORK/prefix"
HOME_DIR="$WORK/home"
APP_LOG="$WORK/vantrel-utilities.log"
XVFB_PID=""
APP_PID=""

cleanup() {
  if [ -n "$APP_PID" ]; then
    kill "$APP_PID" 2>/dev/null || true
    wait "$APP_PID" 2>/dev/null || true
  fi
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "gui-smoke: $*" >&2
  if [ -s "$APP_LOG" ]; then
    echo "--- output of vantrel-utilities:" >&2
    cat "$APP_LOG" >&2
  fi
  exit 1
}

# png_size FILE: prints "WIDTHxHEIGHT" from the PNG header, or nothing when FILE is no PNG.
png_size() {
  local bytes
  read -r -a bytes < <(od -An -tu1 -N24 "$1" | tr -s ' \n' '  ')
  [ "${#bytes[@]}" -eq 24 ] || return 0
  # Signature 137 'P' 'N' 'G', then the IHDR chunk's big-endian width and height.
  [ "${bytes[0]} ${bytes[1]} ${bytes[2]} ${bytes[3]}" = "137 80 78 71" ] || return 0
  [ "${bytes[12]} ${bytes[13]} ${bytes[14]} ${bytes[15]}" = "73 72 68 82" ] || return 0
  echo "$(((bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19]))x$(((bytes[20] << 24) | (bytes[21] << 16) | (bytes[22] << 8) | bytes[23]))"
}

# --- Installation
"$CMAKE" --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log" 2>&1 ||
  { cat "$WORK/install.log" >&2; fail "cmake --install $BUILD failed"; }

for program in vantrel vantrel-utilities vantrel-logger-sim; do
  [ -x "$PREFIX/bin/$program" ] || fail "bin/$program was not installed"
done
DESKTOP="$PREFIX/share/applications/vantrel-utilities.desktop"
[ -f "$DESKTOP" ] || fail "share/applications/vantrel-utilities.desktop was not installed"
THEME="$PREFIX/share/icons/hicolor"
[ -f "$THEME/scalable/apps/vantrel-utilities.svg" ] || fail "the scalable icon was not installed"
for size in "${ICON_SIZES[@]}"; do
  png="$THEME/${size}x${size}/apps/vantrel-utilities.png"
  [ -f "$png" ] || fail "the ${size}x${size} icon was not installed"
  actual=$(png_size "$png")
  [ "$actual" = "${size}x${size}" ] || fail "$png is ${actual:-not a PNG}, expected ${size}x${size}"
done

# The entry must start a program that was installed and name an icon that was.
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$DESKTOP")
[ -n "$exec_program" ] && [ -x "$PREFIX/bin/$exec_program" ] ||
  fail "the desktop entry's Exec=$exec_program is not an installed program"
icon_name=$(sed -n 's/^Icon=//p' "$DESKTOP")
[ -f "$THEME/scalable/apps/$icon_name.svg" ] ||
  fail "the desktop entry's Icon=$icon_name is not an installed icon"

# --- An X server of its own, on the first free display from :90 up
source "$(dirname "${BASH_SOURCE[0]}")/../support/start_xvfb.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../support/wait_for_window.sh"
start_xvfb 90 130 1280x900 "$WORK/xvfb.log" || fail "could not start Xvfb on any display from :90 to :130"
export DISPLAY=":$DISPLAY_NUMBER"

# --- The installed program, with a home, settings and session of its own
mkdir -p "$HOME_DIR/.config" "$HOME_DIR/.local/share" "$HOME_DIR/.cache" "$WORK/runtime"
chmod 700 "$WORK/runtime"
env -i PATH="$PATH" LANG=C.UTF-8 HOME="$HOME_DIR" DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb \
  XDG_CONFIG_HOME="$HOME_DIR/.config" XDG_DATA_HOME="$HOME_DIR/.local/share" \
  XDG_CACHE_HOME="$HOME_DIR/.cache" XDG_RUNTIME_DIR="$WORK/runtime" \
  DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/no-session-bus" NO_AT_BRIDGE=1 \
  "$PREFIX/bin/vantrel-utilities" >"$APP_LOG" 2>&1 &
APP_PID=$!

WINDOW=$(wait_for_window "$WINDOW_WAIT" "^$TITLE\$") || true
if [ -z "$WINDOW" ]; then
  kill -0 "$APP_PID" 2>/dev/null || fail "vantrel-utilities ended before showing its window"
  fail "no visible window titled \"$TITLE\" within $WINDOW_WAIT s"
fi

# Close: the button's mnemonic, typed into the focused main window.
xdotool windowfocus --sync "$WINDOW"
xdotool key --clearmodifiers alt+c

for _ in $(seq $((EXIT_WAIT * 10))); do
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$APP_PID" 2>/dev/null && fail "vantrel-utilities still runs $EXIT_WAIT s after Alt+C (Close)"
status=0
wait "$APP_PID" || status=$?
APP_PID=""
[ "$status" -eq 0 ] || fail "vantrel-utilities ended with status $status after Close"

# The start-up was recorded in the settings of the temporary home, with the installed
# program's folder as "Home Directory".
CONF="$HOME_DIR/.config/Ortvel/VantrelUtilities.conf"
[ -f "$CONF" ] || fail "no settings were written to $CONF"
grep -qxF "Home%20Directory=$PREFIX/bin" "$CONF" ||
  fail "$CONF does not record Home Directory=$PREFIX/bin: $(cat "$CONF")"
echo "gui-smoke: installed, window shown on $DISPLAY, closed with status 0"
