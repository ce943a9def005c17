# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the timing scripts of bench/:
#   ms COMMAND...   wall milliseconds of one run of COMMAND (its output dropped)
#   median          the median of the numbers on standard input, one a line

ms() {
  local start=$EPOCHREALTIME end
  "$@" > /dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
  end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", (e - s) * 1000 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
