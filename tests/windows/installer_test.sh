#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer under wine, in a wine prefix of its own made for the test:
#   1. a silent install (/S) for the current user: the files, the Start-menu shortcuts and
#      the entry in Apps and Features are there;
#   2. the installed vantrel.exe --version names the version; the installed
#      vantrel-utilities.exe starts (offscreen, with Qt's offscreen platform from QT_PLUGINS),
#      records its start in the registry and ends with status 0;
#   3. with SIM given and Xvfb and xdotool at hand: the installed desktop program on an X
#      server of its own, with COM7 mapped to the Linux simulator's terminal, backs up the
#      logger after a real click on its Backup button, and closes with Alt+C;
#   4. a silent uninstall removes every file, shortcut and the entry, and keeps the user's
#      settings in HKCU\Software\Ortvel\VantrelUtilities.
#
#     installer_test.sh SETUP_EXE VERSION QT_PLUGINS [SIM]
set -euo pipefail

SETUP=${1:?usage: installer_test.sh SETUP_EXE VERSION QT_PLUGINS [SIM]}
VERSION=${2:?}
QT_PLUGINS=${3:?}
SIM=${4:-}
PORT=COM7
TITLE="Vantrel Utilities"
SETTINGS_KEY='HKCU\Software\Ortvel\VantrelUtilities'
UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VantrelUtilities'

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-installer-test.XXXXXX")
export WINEPREFIX="$WORK/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
XVFB_PID=""
SIM_PID=""
APP_PID=""

cleanup() {
  for pid in "$APP_PID" "$SIM_PID" "$XVFB_PID"; do
    [ -n "$pid" ] && { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
  done
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "installer-test: $*" >&2
  for log in "$WORK"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log"):" >&2; tail -n 30 "$log" >&2; }
  done
  exit 1
}
step() { echo "installer-test: $*"; }

# reg_value KEY NAME: the data of a registry value, or nothing.
reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p" | head -n 1
}

# --- 1. Silent install into a new prefix
start=$SECONDS
wineboot -i >"$WORK/wineboot.log" 2>&1 || fail "wineboot could not make a prefix"
wineserver -w
step "a new wine prefix in $((SECONDS - start)) s"
start=$SECONDS
wine "$SETUP" /S >"$WORK/install.log" 2>&1 || fail "the silent install failed"
wineserver -w
step "installed in $((SECONDS - start)) s"

INSTDIR_WIN=$(reg_value "$UNINSTALL_KEY" InstallLocation)
[ -n "$INSTDIR_WIN" ] || fail "no uninstall entry with its InstallLocation under $UNINSTALL_KEY"
INSTDIR=$(winepath -u "$INSTDIR_WIN" 2>/dev/null)
[ "$(reg_value "$UNINSTALL_KEY" DisplayVersion)" = "$VERSION" ] ||
  fail "the uninstall entry does not name version $VERSION"
for file in vantrel.exe vantrel-utilities.exe uninstall.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
  libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll LICENSE.txt platforms/qwindows.dll \
  styles/qwindowsvistastyle.dll imageformats/qico.dll help/index.html; do
  [ -f "$INSTDIR/$file" ] || fail "$file was not installed into $INSTDIR_WIN"
done
MENU=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")/Microsoft/Windows/Start\ Menu/Programs/Vantrel\ Utilities
for link in "Vantrel Utilities.lnk" "Vantrel Utilities Help.lnk" "Uninstall Vantrel Utilities.lnk"; do
  [ -f "$MENU/$link" ] || fail "no Start-menu shortcut $link"
done

# --- 2. The installed programs start
version=$(wine "$INSTDIR/vantrel.exe" --version 2>"$WORK/vantrel.log" | tr -d '\r' | head -n 1)
[[ $version == *"$VERSION"* ]] || fail "vantrel.exe --version said: $version"
step "vantrel.exe --version: $version"

status=0
QT_QPA_PLATFORM=offscreen QT_QPA_PLATFORM_PLUGIN_PATH="$(winepath -w "$QT_PLUGINS/platforms")" \
  VANTREL_UTILITIES_START=close timeout 60 wine "$INSTDIR/vantrel-utilities.exe" \
  >"$WORK/utilities.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "vantrel-utilities.exe ended with status $status (124: still running after 60 s)"
home=$(reg_value "$SETTINGS_KEY\\Settings" "Home Directory")
[ "${home,,}" = "${INSTDIR_WIN,,}" ] ||
  fail "the start was not recorded: Home Directory is '$home', not '$INSTDIR_WIN'"
step "vantrel-utilities.exe started and ended, Home Directory=$home"

# --- 3. A backup through a COM port, clicked on an X server
if [ -n "$SIM" ]; then
  bash "$(dirname "$0")/click_backup.sh" "$INSTDIR" "$SIM" "$PORT" "$WORK" || fail "the backup on Xvfb failed"
fi

# --- 4. Silent uninstall: the files go, the settings stay
wine "$INSTDIR/uninstall.exe" /S >"$WORK/uninstall.log" 2>&1 || fail "the silent uninstall failed"
wineserver -w  # the uninstaller runs on from a copy of itself
[ ! -e "$INSTDIR" ] || fail "the uninstall left $(cd "$INSTDIR" && find . -mindepth 1 | tr '\n' ' ')"
[ ! -e "$MENU" ] || fail "the uninstall left the Start-menu folder"
wine reg query "$UNINSTALL_KEY" >/dev/null 2>&1 && fail "the uninstall left its entry in Apps and Features"
[ -n "$(reg_value "$SETTINGS_KEY\\Settings" "Home Directory")" ] ||
  fail "the uninstall removed the user's settings"
step "uninstalled: no file left, settings kept"
