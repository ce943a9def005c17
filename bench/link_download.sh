#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures a 256 KB download from the logger simulator through the link engine.
#   bench/link_download.sh [BIN_DIR]      (default build/bin)
# Paced at 38400 baud: wall time against the wire time of every byte exchanged (from the
# simulator's --log, 10 bits a byte) and the downloader's CPU share (user+sys)/wall.
# Unpaced: the raw throughput in KB/s.
set -euo pipefail
BIN=${1:-build/bin}
SIM=$BIN/vantrel-logger-sim
FETCH=$BIN/bench_link_fetch
for tool in "$SIM" "$FETCH"; do
  [[ -x $tool ]] || { echo "missing $tool (build the simulator and bench_link_fetch)" >&2; exit 1; }
done
WORK=$(mktemp -d)
trap 'kill $SIM_PID 2>/dev/null || true; rm -rf "$WORK"' EXIT
mkdir "$WORK/image"
head -c 262144 /dev/urandom > "$WORK/image/BIG.DAT"

run() {  # run NAME [sim options...]
  local name=$1; shift
  "$SIM" --link "$WORK/port-$name" --image "$WORK/image" --log "$WORK/$name.log" "$@" \
    > "$WORK/$name.sim" 2>&1 &
  SIM_PID=$!
  for _ in $(seq 100); do grep -q '^ready' "$WORK/$name.sim" && break; sleep 0.05; done
  /usr/bin/time -f "%U %S %e" -o "$WORK/$name.time" "$FETCH" "$WORK/port-$name" 38400 \
    > "$WORK/$name.out"
  kill $SIM_PID; wait $SIM_PID 2>/dev/null || true
}

run paced --baud 38400
run unpaced

read -r user sys wall < "$WORK/paced.time"
wire_bytes=$(awk '$2 == "RX" || $2 == "TX" { n += $3 } END { print n }' "$WORK/paced.log")
awk -v u="$user" -v s="$sys" -v w="$wall" -v b="$wire_bytes" 'BEGIN {
  wire = b * 10 / 38400
  printf "paced 38400: %d bytes on the wire, wire time %.2f s, wall %.2f s (%.3fx), CPU %.2f s (%.1f%%)\n",
         b, wire, w, w / wire, u + s, 100 * (u + s) / w
  ok = (w <= 1.05 * wire) && ((u + s) / w <= 0.05)
  print ok ? "targets met (<= 1.05x wire time, <= 5% CPU)" : "TARGETS MISSED"
}'
read -r user sys wall < "$WORK/unpaced.time"
awk -v w="$wall" -v u="$user" -v s="$sys" 'BEGIN {
  printf "unpaced: 256 KB in %.2f s = %.0f KB/s, CPU %.2f s\n", w, 256 / w, u + s }'
