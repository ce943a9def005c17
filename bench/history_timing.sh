#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A site's history: 50 weekly backups of one logger (a year of hourly readings of four
# profiles at six depths, 5.6 MB) opened together, against reading the same backups' bytes:
#   - in one process (history_window): the readings window from loading to the first paint
#     of its chart, and the plot's work (load, merge, draw as PNG), each against a plain read
#     of the files' bytes, medians of RUNS runs in turns, and the peak memory; then the
#     plot's work stage by stage (processor time);
#   - as processes: `vantrel plot` of the 50 backups, against `vantrel info` of one of them
#     (a process that loads a backup and prints, no drawing) and `vantrel plot` of one.
# The aim: the window and the plot within 3x the bytes.
#   bench/history_timing.sh [BIN_DIR] [RUNS]      (default build/bin, 9 runs)
set -euo pipefail
# shellcheck source=bench/timing.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/timing.sh"
BIN=$(cd "${1:-build/bin}" && pwd)
RUNS=${2:-9}
offscreen_work "$BIN" vantrel vantrel-make-site-history history_window
"$BIN/vantrel-make-site-history" site --visits 50 --days 7 --profiles 4 --sensors 6 --overlap 6 > /dev/null
backups=(site/*.vbk)

echo "In one process (series 1: profile 1, hourly; and series 2: profile 2, daily):"
"$BIN/history_window" 1 "${backups[@]}" --runs "$RUNS" 2> /dev/null
"$BIN/history_window" 2 "${backups[@]}" --runs "$RUNS" 2> /dev/null
"$BIN/history_window" 1 "${backups[@]}" --runs "$RUNS" --stages 2> /dev/null

ms "$BIN/vantrel" plot "${backups[@]}" --profile 1 --out out/warm.png > /dev/null
: > plot; : > one; : > info
for i in $(seq "$RUNS"); do
  ms "$BIN/vantrel" plot "${backups[@]}" --profile 1 --out "out/all$i.png" >> plot
  ms "$BIN/vantrel" plot "${backups[0]}" --profile 1 --out "out/one$i.png" >> one
  ms "$BIN/vantrel" info "${backups[0]}" >> info
done
awk -v n="$RUNS" -v p="$(median < plot)" -v o="$(median < one)" -v i="$(median < info)" 'BEGIN {
  printf "As processes, medians of %d runs each, alternating:\n", n
  printf "  vantrel plot of the 50 backups (1200x700 PNG)  %7.1f ms\n", p
  printf "  vantrel plot of one backup                     %7.1f ms  (the 50: +%.1f ms)\n", o, p - o
  printf "  vantrel info of one backup                     %7.1f ms\n", i
}'
/usr/bin/time -f "  vantrel plot of the 50 backups: peak memory %M KiB" \
  "$BIN/vantrel" plot "${backups[@]}" --profile 1 --out out/mem.png > /dev/null
