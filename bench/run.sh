#!/usr/bin/env bash
# Runs every benchmark: the data layer's Google Benchmark program, then the link and
# backup timings against the simulator (the paced runs take a few minutes).
#   bench/run.sh [BIN_DIR]      (default build/bin)
set -euo pipefail
BIN=${1:-build/bin}
HERE=$(dirname "$0")

echo "== Data layer: loading a 5 MB backup, rendering reading lines"
"$BIN/bench_data" --benchmark_counters_tabular=true

echo
echo "== Backup of the sample image at 38400 baud and unpaced"
bash "$HERE/backup_timing.sh" "$BIN"

echo
echo "== 256 KB download at 38400 baud and unpaced"
bash "$HERE/link_download.sh" "$BIN"
