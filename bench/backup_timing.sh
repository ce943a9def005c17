#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times `vantrel backup` of the sample image against the logger simulator.
#   bench/backup_timing.sh [BIN_DIR]      (default build/bin)
# Paced at 38400 baud: the wall time against the wire time of every byte exchanged (from
# the simulator's --log, 10 bits a byte) and the CPU share (user+sys)/wall of the vantrel
# process. Unpaced: the same backup as fast as the pseudo-terminal goes.
set -euo pipefail
BIN=$(cd "${1:-build/bin}" && pwd)
for tool in vantrel vantrel-logger-sim vantrel-make-sample-image; do
  [[ -x $BIN/$tool ]] || { echo "missing $BIN/$tool (make build)" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package 'time')" >&2; exit 1; }

WORK=$(mktemp -d)
SIM_PID=""
trap '[[ -n $SIM_PID ]] && kill $SIM_PID 2>/dev/null; rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/config   # never the user's settings
cd "$WORK"                            # no Vantrel.ini: nothing is left out
"$BIN/vantrel-make-sample-image" "$WORK/image" --profiles 4 --readings 48 --sensors 6 --seed 2026 >/dev/null
mkdir "$WORK/backups"

run() {  # run NAME [simulator options...]
  local name=$1; shift
  "$BIN/vantrel-logger-sim" --link "$WORK/port-$name" --image "$WORK/image" \
    --log "$WORK/$name.log" "$@" > "$WORK/$name.sim" 2>&1 &
  SIM_PID=$!
  for _ in $(seq 100); do grep -q '^ready' "$WORK/$name.sim" && break; sleep 0.05; done
  /usr/bin/time -f "%U %S %e" -o "$WORK/$name.time" \
    "$BIN/vantrel" backup "$name" --port "$WORK/port-$name" --baud 38400 \
    --folder "$WORK/backups" > "$WORK/$name.out"
  kill $SIM_PID; wait $SIM_PID 2>/dev/null || true
  SIM_PID=""
}

run paced --baud 38400
run unpaced

image_bytes=$(cat "$WORK"/image/* | wc -c)
read -r user sys wall < "$WORK/paced.time"
wire_bytes=$(awk '$2 == "RX" || $2 == "TX" { n += $3 } END { print n }' "$WORK/paced.log")
echo "sample image: $(ls "$WORK/image" | wc -l) files, $image_bytes bytes"
awk -v u="$user" -v s="$sys" -v w="$wall" -v b="$wire_bytes" 'BEGIN {
  wire = b * 10 / 38400
  printf "backup at 38400 baud: %d bytes on the wire, wire time %.2f s, wall %.2f s (%.3fx wire), CPU %.2f s (%.1f%% of wall)\n",
         b, wire, w, w / wire, u + s, 100 * (u + s) / w
}'
read -r user sys wall < "$WORK/unpaced.time"
awk -v u="$user" -v s="$sys" -v w="$wall" -v b="$image_bytes" 'BEGIN {
  printf "backup unpaced:       wall %.2f s, CPU %.2f s (%.1f%% of wall), %.0f image bytes/s\n",
         w, u + s, 100 * (u + s) / (w > 0 ? w : 0.01), b / (w > 0 ? w : 0.01)
}'
