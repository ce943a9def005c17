#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What a screen reader says during a backup: runs Orca with its speech off (it logs every
# utterance to its debug file instead), a window manager and the desktop program on an X
# server of their own, with the accessibility bus of a session of their own, and backs up a
# simulated logger (at the program's fastest rate, 38400 baud) with the Backup button's
# mnemonic. Expects each step of the backup and its outcome said once, and no file being
# transferred said at all.
#
#     orca_backup.sh UTILITIES SIMULATOR SAMPLE_MAKER CLI
set -euo pipefail

if [ "${1:-}" = --session ]; then
  SESSION=1
  shift
fi
UTILITIES=${1:?usage: orca_backup.sh UTILITIES SIMULATOR SAMPLE_MAKER CLI}
SIMULATOR=${2:?}
SAMPLE_MAKER=${3:?}
CLI=${4:?}
SKIPPED=77     # CTest's SKIP_RETURN_CODE
START_WAIT=60  # seconds for Orca, the window and each presentation to come
BACKUP_WAIT=120

# ---------------------------------------------------------------------------------------------
# In the test's own session (dbus-run-session), with DISPLAY, WORK and the program's
# environment from the outer part below.
if [ -n "${SESSION:-}" ]; then
  ORCA_LOG="$WORK/orca-debug.log"
  PIDS=()
  stop_all() {
    # Orca can ignore SIGTERM while it waits on the bus: SIGKILL after a grace time.
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${PIDS[@]}"; do
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -9 "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    done
  }
  trap stop_all EXIT
  fail() {
    echo "orca-backup: $*" >&2
    echo "--- what Orca said:" >&2
    sed -n "s/.*SPEECH OUTPUT: \(.*\) *{.*/\1/p" "$ORCA_LOG" >&2 || true
    echo "--- output of vantrel-utilities:" >&2
    cat "$WORK/utilities.log" >&2 || true
    exit 1
  }
  # wait_for SECONDS WHAT COMMAND...: runs COMMAND every tenth of a second until it succeeds.
  wait_for() {
    local seconds=$1 what=$2
    shift 2
    for _ in $(seq $((seconds * 10))); do
      "$@" && return 0
      sleep 0.1
    done
    fail "no $what within $seconds s"
  }
  said() { grep -q "SPEECH OUTPUT: '$1" "$ORCA_LOG" 2>/dev/null; }
  said_after() { tail -n +"$1" "$ORCA_LOG" | grep -q "SPEECH OUTPUT: '.*$2"; }
  # nudge_until SECONDS WHAT COMMAND...: as wait_for, pressing Shift every second meanwhile.
  # Orca writes its debug file in blocks; what it logs of a key press pushes out what it said
  # before.
  nudge_until() {
    local seconds=$1 what=$2
    shift 2
    for tenth in $(seq $((seconds * 10))); do
      "$@" && return 0
      [ $((tenth % 10)) -eq 0 ] && xdotool key --clearmodifiers shift
      sleep 0.1
    done
    fail "no $what within $seconds s"
  }

  openbox >"$WORK/openbox.log" 2>&1 &
  PIDS+=($!)
  # Speech off, its own preferences; the debug file logs every utterance ("SPEECH OUTPUT").
  orca --disable speech --user-prefs "$WORK/orca-prefs" --debug-file "$ORCA_LOG" \
    >"$WORK/orca.log" 2>&1 &
  PIDS+=($!)
  orca_started() { grep -q "ORCA: Starting ATSPI registry" "$ORCA_LOG" 2>/dev/null; }
  wait_for "$START_WAIT" "start of Orca" orca_started

  "$UTILITIES" >"$WORK/utilities.log" 2>&1 &
  PIDS+=($!)
  window=$(timeout "$START_WAIT" xdotool search --sync --onlyvisible --name '^Vantrel Utilities$' |
    head -n 1) || true
  [ -n "$window" ] || fail "no window of vantrel-utilities within $START_WAIT s"
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  nudge_until "$START_WAIT" "presentation of the window (Vantrel Utilities frame)" \
    said "Vantrel Utilities frame"

  # The Backup button, by its mnemonic (B&ackup). What Orca logs from here on (the file is
  # written in blocks: a little of what it said before may follow too).
  start=$(($(wc -l <"$ORCA_LOG") + 1))
  xdotool key --clearmodifiers alt+a
  busy() { [ "$(xdotool getwindowname "$window")" != "Vantrel Utilities" ]; }
  idle_with_backup() {
    ! busy && compgen -G "$WORK/backups/*.vbk" >/dev/null
  }
  wait_for "$BACKUP_WAIT" "end of the backup (a backup file and the window's title back)" \
    idle_with_backup
  # Everything the program sent before comes before what Orca says of the next page, which
  # Ctrl+Page Down shows.
  xdotool key --clearmodifiers ctrl+Next
  nudge_until "$START_WAIT" "presentation of the next page (Restore / Export)" \
    said_after "$start" "Restore / Export"
  tail -n +"$start" "$ORCA_LOG" | sed "/SPEECH OUTPUT: '.*Restore \/ Export/,\$d" |
    sed -n "s/.*SPEECH OUTPUT: '\(.*\)' *{.*/\1/p" >"$WORK/said.txt"
  exit 0
fi

# ---------------------------------------------------------------------------------------------
for tool in orca openbox Xvfb xdotool dbus-run-session flock pgrep; do
  command -v "$tool" >/dev/null || { echo "orca-backup: $tool is missing" >&2; exit 1; }
done
WORK=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-orca.XXXXXX")
XVFB_PID=""
SIM_PID=""
cleanup() {
  for pid in $SIM_PID $XVFB_PID; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$WORK"
}
trap cleanup EXIT

# Orca refuses to start while another Orca of the same user runs: tests of other build folders
# take turns, and an Orca of someone else's skips the test.
exec 9>"${TMPDIR:-/tmp}/vantrel-orca-test.lock"
flock -w 300 9 || { echo "orca-backup: another Orca test held the lock for 300 s" >&2; exit 1; }
if pgrep -u "$(id -u)" -x orca >/dev/null; then
  echo "orca-backup: skipped, an Orca of this user runs (Orca allows one per user)"
  exit "$SKIPPED"
fi

# A logger of two profiles, answering at 38400 baud as a real one at its fastest.
"$SAMPLE_MAKER" "$WORK/image" --profiles 2 --readings 24 --sensors 6 --seed 2026 >/dev/null
"$SIMULATOR" --link "$WORK/logger" --image "$WORK/image" --baud 38400 --exit-after-idle 600 \
  >"$WORK/simulator.log" 2>&1 &
SIM_PID=$!
for _ in $(seq 100); do
  grep -q '^ready ' "$WORK/simulator.log" && break
  sleep 0.1
done
grep -q '^ready ' "$WORK/simulator.log" || { cat "$WORK/simulator.log" >&2; exit 1; }

# The program's own home, settings and runtime folder; Orca's settings in memory.
mkdir -p "$WORK/home" "$WORK/config" "$WORK/backups" "$WORK/orca-prefs"
mkdir -m 700 "$WORK/runtime"
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" XDG_CACHE_HOME="$WORK/home/.cache" \
  XDG_DATA_HOME="$WORK/home/.local/share" XDG_RUNTIME_DIR="$WORK/runtime" LANG=C.UTF-8 \
  GSETTINGS_BACKEND=memory QT_QPA_PLATFORM=xcb
unset QT_LINUX_ACCESSIBILITY_ALWAYS_ON NO_AT_BRIDGE
"$CLI" settings "Default Path" "$WORK/backups" >/dev/null
"$CLI" settings Port "$WORK/logger" >/dev/null
"$CLI" settings "Baud Rate" 2 >/dev/null  # 38400

# The first free display from :200 up (gui_smoke.sh takes :90 to :130, xcb_tests.sh :131 to
# :170, the GUI kill tests :150 to :199).
source "$(dirname "${BASH_SOURCE[0]}")/../support/start_xvfb.sh"
start_xvfb 200 239 1280x900 "$WORK/xvfb.log" || { echo "orca-backup: could not start Xvfb" >&2; exit 1; }
export DISPLAY=":$DISPLAY_NUMBER" WORK
cd "$WORK"  # no Vantrel.ini here: the backup leaves nothing out

# The session's chatter goes to a log, shown when the session part fails.
if ! dbus-run-session -- bash "${BASH_SOURCE[0]}" --session "$UTILITIES" "$SIMULATOR" \
  "$SAMPLE_MAKER" "$CLI" >"$WORK/session.log" 2>&1; then
  cat "$WORK/session.log" >&2
  exit 1
fi

echo "Orca said, from the Backup button on:"
sed 's/^/  /' "$WORK/said.txt"
# Each step and the outcome once, as a notification; no file being transferred.
status=0
for step in "Attempting to Connect" "Connection Established" "Retrieving File Info" \
  "Comms Closed. Processing Data..." "Backup completed (10 files)."; do
  count=$(grep -cF "notification $step" "$WORK/said.txt" || true)
  if [ "$count" -ne 1 ]; then
    echo "orca-backup: \"$step\" said $count times, expected once" >&2
    status=1
  fi
done
if grep -q "Retrieving PRO" "$WORK/said.txt"; then
  echo "orca-backup: a file being transferred was said" >&2
  status=1
fi
exit $status
