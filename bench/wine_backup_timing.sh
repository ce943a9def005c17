#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times `vantrel.exe backup` under wine against the Linux simulator paced at 38400 baud, beside
# the Linux tool on the same image: each wall time against the wire time of every byte
# exchanged (from the simulator's --log, 10 bits a byte), and the processor time each costs.
#   bench/wine_backup_timing.sh [LINUX_BIN] [WINDOWS_BIN]   (default build/bin build-windows/bin)
# The wine prefix is WINEPREFIX (default /tmp/vantrel-wine-bench); its server is started once,
# after the COM mapping, and kept running, so a run pays no server start-up.
#
# Processor time is user + system time. A tool's own is what /usr/bin/time reports for it
# (with any child process it waited for). Under wine, the program's requests are served by
# wineserver and wine's service processes of the prefix, which run on for the whole session:
# their processor time over the run (from /proc/PID/stat before and after) is part of what the
# Windows tool costs, and is added to it. The simulator's is left out on both sides.
set -euo pipefail
BIN=$(cd "${1:-build/bin}" && pwd)
WINBIN=$(cd "${2:-build-windows/bin}" && pwd)
for tool in "$BIN/vantrel" "$BIN/vantrel-logger-sim" "$BIN/vantrel-make-sample-image" "$WINBIN/vantrel.exe"; do
  [[ -x $tool ]] || { echo "missing $tool (make build; make windows)" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package 'time')" >&2; exit 1; }
export WINEPREFIX=${WINEPREFIX:-/tmp/vantrel-wine-bench} WINEDEBUG=-all
PORT=COM6
WORK=$(mktemp -d)
SIM_PID=""
cleanup() {
  [[ -n $SIM_PID ]] && kill $SIM_PID 2>/dev/null
  wine reg delete 'HKLM\Software\Wine\Ports' /v $PORT /f >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WORK"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$WORK/config   # never the user's settings
cd "$WORK"
"$BIN/vantrel-make-sample-image" "$WORK/image" --profiles 4 --readings 48 --sensors 6 --seed 2026 >/dev/null
mkdir "$WORK/backups"
wine reg add 'HKLM\Software\Wine\Ports' /v $PORT /d "$WORK/line" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -p >/dev/null 2>&1
wine reg query 'HKCU' >/dev/null 2>&1   # starts the prefix before anything is timed

# "PID TICKS" for the prefix's long-running wine processes (wineserver, services.exe,
# winedevice.exe, ...): those whose environment names this WINEPREFIX.
wine_ticks() {
  local pid
  for pid in $(pgrep -f 'wineserver|\.exe'); do
    { tr '\0' '\n' < "/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    awk -v pid="$pid" '{ print pid, $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || true
  done
}
HZ=$(getconf CLK_TCK)

run() {  # run NAME wine|native TOOL...
  local name=$1 kind=$2; shift 2
  rm -f "$WORK/line"
  "$BIN/vantrel-logger-sim" --link "$WORK/line" --image "$WORK/image" --baud 38400 \
    --log "$WORK/$name.log" > "$WORK/$name.sim" 2>&1 &
  SIM_PID=$!
  for _ in $(seq 100); do grep -q '^ready' "$WORK/$name.sim" && break; sleep 0.05; done
  wine_ticks > "$WORK/$name.before"
  /usr/bin/time -f "%U %S %e" -o "$WORK/$name.time" "$@" > "$WORK/$name.out"
  wine_ticks > "$WORK/$name.after"
  # What the processes alive before and after spent in between; only a wine run counts it.
  local server=0
  [[ $kind == wine ]] && server=$(awk 'NR == FNR { before[$1] = $2; next }
    ($1 in before) { n += $2 - before[$1] } END { print n + 0 }' "$WORK/$name.before" "$WORK/$name.after")
  kill $SIM_PID; wait $SIM_PID 2>/dev/null || true
  SIM_PID=""
  read -r user sys wall < "$WORK/$name.time"
  wire_bytes=$(awk '$2 == "RX" || $2 == "TX" { n += $3 } END { print n }' "$WORK/$name.log")
  awk -v n="$name" -v u="$user" -v s="$sys" -v w="$wall" -v b="$wire_bytes" \
      -v server="$server" -v hz="$HZ" 'BEGIN {
    wire = b * 10 / 38400
    printf "%-6s backup at 38400 baud: %d bytes on the wire, wire time %.2f s, wall %.2f s (%.3fx wire)\n",
           n, b, wire, w, w / wire
    printf "%-6s processor time: tool %.2f s (user %.2f, system %.2f) + wine server and services %.2f s = %.2f s\n",
           n, u + s, u, s, server / hz, u + s + server / hz
  }' | tee -a "$WORK/cpu.txt"
}

run linux native "$BIN/vantrel" backup linux --port "$WORK/line" --baud 38400 --folder "$WORK/backups"
run wine wine wine "$WINBIN/vantrel.exe" backup wine --port $PORT --baud 38400 --folder "Z:${WORK//\//\\}\\backups"
awk '/processor time/ { total[$1] = $(NF - 1) } END {
  if (total["linux"] > 0) printf "processor time, wine against Linux: %.2fx\n", total["wine"] / total["linux"]
}' "$WORK/cpu.txt"
# The start of a Windows program under wine, which the wall time above includes.
/usr/bin/time -f "%e" -o "$WORK/start.time" wine "$WINBIN/vantrel.exe" --version >/dev/null
echo "wine start-up of vantrel.exe --version: $(cat "$WORK/start.time") s"
cmp -s "$WORK/backups/linux.vbk" "$WORK/backups/wine.vbk" && echo "backups: identical" ||
  echo "backups: $(cmp -l "$WORK/backups/linux.vbk" "$WORK/backups/wine.vbk" 2>&1 | wc -l) bytes differ (the backup date)"
