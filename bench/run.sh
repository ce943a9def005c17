#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every benchmark: the data layer's Google Benchmark program, then the link and
# backup timings against the simulator (the paced runs take a few minutes).
#   bench/run.sh [BIN_DIR]      (default build/bin)
set -euo pipefail
BIN=${1:-build/bin}
HERE=$(dirname "$0")

echo "== Data layer: loading a 5 MB backup, rendering reading lines"
"$BIN/bench_data" --benchmark_counters_tabular=true

echo
echo "== Export: appending to a 200 MB profile file against a small one"
bash "$HERE/export_append.sh" "$BIN"

echo
echo "== Backup of the sample image at 38400 baud and unpaced"
bash "$HERE/backup_timing.sh" "$BIN"

echo
echo "== 256 KB download at 38400 baud and unpaced"
bash "$HERE/link_download.sh" "$BIN"

if [[ -x $BIN/gui_responsiveness ]]; then
  echo
  echo "== Desktop program: the GUI thread while received bytes stream in at 38400 baud"
  "$BIN/gui_responsiveness"
  echo
  echo "== Desktop program: start-up to the first painted window against a plain Qt window"
  bash "$HERE/gui_startup.sh" "$BIN"
  echo
  echo "== Desktop program: CPU and wall time of a backup against the command-line tool"
  bash "$HERE/gui_backup_cpu.sh" "$BIN"
fi

if [[ -x $BIN/chart_window ]]; then
  echo
  echo "== Readings chart of 2000 readings at 16 depths: window and vantrel plot against the export"
  bash "$HERE/chart_timing.sh" "$BIN"
fi

if [[ -x $BIN/history_window ]]; then
  echo
  echo "== A site's history: 50 weekly backups in the readings window and vantrel plot against their bytes"
  bash "$HERE/history_timing.sh" "$BIN"
fi
