#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop program's cost of a backup against the command-line tool's: the same paced
# 38400-baud backup of the sample image from the logger simulator, once through the Backup
# page (vantrel-screenshots --backup-only, offscreen) and once by `vantrel backup`.
#   bench/gui_backup_cpu.sh [BIN_DIR]      (default build/bin)
# Reports the CPU time (user+sys) of each whole process and their ratio (aim: the GUI at
# most 1.5x), the CPU of the GUI's backup alone (from the click to its end), and the
# backup's wall time against the wire time of every byte exchanged (from the simulator's
# --log, 10 bits a byte; aim: within 1.05x).
set -euo pipefail
BIN=$(cd "${1:-build/bin}" && pwd)
for tool in vantrel vantrel-logger-sim vantrel-make-sample-image vantrel-screenshots; do
  [[ -x $BIN/$tool ]] || { echo "missing $BIN/$tool (make build)" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package 'time')" >&2; exit 1; }

WORK=$(mktemp -d)
SIM_PID=""
trap '[[ -n $SIM_PID ]] && kill $SIM_PID 2>/dev/null; rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/runtime HOME=$WORK/home   # never the user's
mkdir -p "$XDG_CONFIG_HOME" "$HOME" "$WORK/backups-cli" "$WORK/backups-gui"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$WORK"                            # no Vantrel.ini: nothing is left out
"$BIN/vantrel-make-sample-image" "$WORK/image" --profiles 4 --readings 48 --sensors 6 --seed 2026 >/dev/null

start_sim() {  # start_sim NAME: a paced simulator logging to NAME.log, link at port-NAME
  "$BIN/vantrel-logger-sim" --link "$WORK/port-$1" --image "$WORK/image" --baud 38400 \
    --log "$WORK/$1.log" > "$WORK/$1.sim" 2>&1 &
  SIM_PID=$!
  for _ in $(seq 100); do grep -q '^ready' "$WORK/$1.sim" && break; sleep 0.05; done
}
stop_sim() { kill $SIM_PID; wait $SIM_PID 2>/dev/null || true; SIM_PID=""; }
wire_seconds() { awk '$2 == "RX" || $2 == "TX" { n += $3 } END { printf "%.3f\n", n * 10 / 38400 }' "$1"; }

# The desktop program, driven through its Backup page.
start_sim gui
"$BIN/vantrel" settings "Default Path" "$WORK/backups-gui" >/dev/null
"$BIN/vantrel" settings Port "$WORK/port-gui" >/dev/null
"$BIN/vantrel" settings "Baud Rate" 38400 >/dev/null
if ! QT_QPA_PLATFORM=offscreen /usr/bin/time -f "%U %S %e" -o "$WORK/gui.time" \
     "$BIN/vantrel-screenshots" --backup-only gui > "$WORK/gui.out" 2>&1; then
  stop_sim
  if grep -q "no backupName field or backupButton" "$WORK/gui.out"; then
    echo "skipped: the desktop program's Backup page is not built yet"
    exit 0
  fi
  echo "the desktop program's backup failed:" >&2
  cat "$WORK/gui.out" >&2
  exit 1
fi
stop_sim

# The command-line tool, the same backup.
start_sim cli
/usr/bin/time -f "%U %S %e" -o "$WORK/cli.time" \
  "$BIN/vantrel" backup cli --port "$WORK/port-cli" --baud 38400 --folder "$WORK/backups-cli" > "$WORK/cli.out"
stop_sim

read -r gui_user gui_sys gui_process_wall < "$WORK/gui.time"
read -r cli_user cli_sys cli_wall < "$WORK/cli.time"
# "backup-only: ok wall W s, cpu user U s, sys S s"
read -r gui_wall gui_backup_user gui_backup_sys < <(sed -n 's/^backup-only: ok wall \([0-9.]*\) s, cpu user \([0-9.]*\) s, sys \([0-9.]*\) s$/\1 \2 \3/p' "$WORK/gui.out")
gui_wire=$(wire_seconds "$WORK/gui.log")
cli_wire=$(wire_seconds "$WORK/cli.log")
awk -v gu="$gui_user" -v gs="$gui_sys" -v gpw="$gui_process_wall" -v gw="$gui_wall" \
    -v bu="$gui_backup_user" -v bs="$gui_backup_sys" -v gwire="$gui_wire" \
    -v cu="$cli_user" -v cs="$cli_sys" -v cw="$cli_wall" -v cwire="$cli_wire" 'BEGIN {
  gcpu = gu + gs; ccpu = cu + cs; bcpu = bu + bs
  printf "GUI backup:  wire time %.2f s, backup wall %.2f s (%.3fx wire); process CPU %.2f s over %.2f s, of which the backup %.2f s\n",
         gwire, gw, gw / gwire, gcpu, gpw, bcpu
  printf "CLI backup:  wire time %.2f s, process wall %.2f s (%.3fx wire); process CPU %.2f s\n",
         cwire, cw, cw / cwire, ccpu
  r = gcpu / (ccpu > 0 ? ccpu : 0.01)
  printf "GUI against CLI: CPU %.2fx the command-line tool (aim 1.5x)%s (the backup alone, click to end: %.2fx); GUI wall %.3fx wire (aim 1.05x)%s\n",
         r, r <= 1.5 ? "" : "  ABOVE THE AIM", bcpu / (ccpu > 0 ? ccpu : 0.01),
         gw / gwire, gw / gwire <= 1.05 ? "" : "  ABOVE THE AIM"
}'
