#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# make demo: backs up a simulated logger, lists the backups, exports one to CSV files,
# restores it to a second, empty simulated logger and checks what that logger received.
# Everything goes to ./demo/ under the repository, with settings of its own (never yours).
set -euo pipefail

BIN_DIR=$(cd "${1:?usage: scripts/demo.sh BIN_DIR}" && pwd)
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEMO="$ROOT/demo"

for tool in vantrel vantrel-logger-sim vantrel-make-sample-image; do
  [ -x "$BIN_DIR/$tool" ] || { echo "demo: $BIN_DIR/$tool is missing; run 'make build' first" >&2; exit 1; }
done

# The demo's own settings, backups and exports; a fresh start every run.
export XDG_CONFIG_HOME="$DEMO/config"
rm -rf "$DEMO/config" "$DEMO/image" "$DEMO/backups" "$DEMO/export" "$DEMO/restored" "$DEMO"/sim-*.out
mkdir -p "$DEMO/config" "$DEMO/backups" "$DEMO/export"
# Run where no Vantrel.ini of the user can leave files out of the backup.
cd "$DEMO"

VANTREL="$BIN_DIR/vantrel"
SIM_PIDS=()
stop_simulators() {
  for pid in "${SIM_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${SIM_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap stop_simulators EXIT

step() { printf '\n== %s\n' "$*"; }

# start_simulator NAME ARGS...: starts vantrel-logger-sim with its link at demo/NAME and
# waits for its "ready" line; the pid goes to SIM_PIDS, the link path to $LINK. It ends by
# itself after SIM_IDLE seconds without a request.
SIM_IDLE=300
start_simulator() {
  local name=$1
  shift
  LINK="$DEMO/$name"
  "$BIN_DIR/vantrel-logger-sim" --link "$LINK" --exit-after-idle "$SIM_IDLE" "$@" \
    >"$DEMO/sim-$name.out" 2>&1 &
  SIM_PIDS+=($!)
  for _ in $(seq 100); do
    grep -q '^ready ' "$DEMO/sim-$name.out" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "demo: the simulator did not start:" >&2
  cat "$DEMO/sim-$name.out" >&2
  exit 1
}

step "A sample logger: 4 profiles of readings at 6 depths, both soil tables, ID files"
"$BIN_DIR/vantrel-make-sample-image" "$DEMO/image" --profiles 4 --readings 48 --sensors 6 --seed 2026
start_simulator logger --image "$DEMO/image" --baud 38400
echo "Simulated logger on $LINK (38400 baud)"

step "vantrel logger ls"
"$VANTREL" logger ls --port "$LINK" --baud 38400

step "vantrel backup \"Sample Site\""
"$VANTREL" backup "Sample Site" --port "$LINK" --baud 38400 --folder "$DEMO/backups"
BACKUP="$DEMO/backups/Sample Site.vbk"

step "vantrel list"
"$VANTREL" list --folder "$DEMO/backups"

step "vantrel export (calibrated moisture readings)"
"$VANTREL" export "$BACKUP" --out "$DEMO/export/Sample Site.csv"

step "vantrel restore to a second, empty logger"
start_simulator empty-logger --dump "$DEMO/restored"
"$VANTREL" restore "Sample Site" --yes --port "$LINK" --folder "$DEMO/backups"
kill "${SIM_PIDS[1]}" && wait "${SIM_PIDS[1]}" 2>/dev/null || true

step "What the empty logger received"
same=0
for file in "$DEMO/image"/*; do
  name=$(basename "$file")
  if [ "$name" = QUILON.CFG00 ]; then
    [ -e "$DEMO/restored/$name" ] && { echo "  $name should not have been written" >&2; exit 1; }
    echo "  $name: not restored (the logger keeps its own device configuration)"
  elif cmp -s "$file" "$DEMO/restored/$name"; then
    same=$((same + 1))
  else
    echo "  $name differs from the original" >&2
    exit 1
  fi
done
extra=$(comm -13 <(ls "$DEMO/image") <(ls "$DEMO/restored") | wc -l)
[ "$extra" -eq 0 ] || { echo "  the restored logger holds files the original did not" >&2; exit 1; }
echo "  $same files identical to the original logger's"

step "Where everything went"
echo "  logger image:      $DEMO/image"
echo "  backup:            $BACKUP"
echo "  CSV files:         $DEMO/export"
ls -1 "$DEMO/export" | sed 's/^/                     /'
echo "  restored logger:   $DEMO/restored"
echo "  demo settings:     $XDG_CONFIG_HOME/Ortvel/VantrelUtilities.conf"

# With a display (and not on CI), the desktop program opens on the demo's settings: backups in
# demo/backups, exports in demo/export, and its port a simulated logger with the sample image
# that runs for as long as the window is open.
if { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; } && [ -z "${CI:-}" ]; then
  if [ ! -x "$BIN_DIR/vantrel-utilities" ]; then
    echo "demo: $BIN_DIR/vantrel-utilities was not built (it needs Qt 6 Widgets)" >&2
    exit 0
  fi
  step "The desktop program, on the demo's settings"
  SIM_IDLE=$((24 * 3600))
  start_simulator gui-logger --image "$DEMO/image" --baud 38400
  GUI_SIM=${SIM_PIDS[-1]}
  "$VANTREL" settings Port "$LINK"
  "$VANTREL" settings "Baud Rate" 38400
  "$VANTREL" settings "Default Path" "$DEMO/backups"
  "$VANTREL" settings "Export Path" "$DEMO/export"
  echo "Simulated logger on $LINK; close the window to end the demo."
  status=0
  "$BIN_DIR/vantrel-utilities" || status=$?
  kill "$GUI_SIM" 2>/dev/null || true
  wait "$GUI_SIM" 2>/dev/null || true
  [ "$status" -eq 0 ] || { echo "demo: vantrel-utilities ended with status $status" >&2; exit "$status"; }
fi
