# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the timing scripts of bench/:
#   ms COMMAND...   wall milliseconds of one run of COMMAND (its output dropped)
#   median          the median of the numbers on standard input, one a line
#   offscreen_work BIN TOOL...
#                   checks that BIN holds each TOOL, then makes and enters a scratch folder
#                   ($WORK, removed at exit) with its own settings and Qt's offscreen platform

ms() {
  local start=$EPOCHREALTIME end
  "$@" > /dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
  end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", (e - s) * 1000 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

offscreen_work() {
  local bin=$1 tool
  shift
  for tool in "$@"; do
    [[ -x $bin/$tool ]] || { echo "missing $bin/$tool (benchmark programs: build with VANTREL_WITH_BENCH=ON)" >&2; exit 1; }
  done
  WORK=$(mktemp -d)
  trap 'rm -rf "$WORK"' EXIT
  export XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/runtime QT_QPA_PLATFORM=offscreen
  mkdir -p "$XDG_CONFIG_HOME" "$WORK/out"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  cd "$WORK"
}
