#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up time of the desktop program to its first painted window, against a plain Qt
# program started the same way.
#   bench/gui_startup.sh [BIN_DIR] [RUNS]      (default build/bin, 20 runs each)
# gui_start_sheet builds and shows the main sheet exactly as vantrel-utilities does and
# exits at its first paint; gui_plain_window does the same with an empty window, and with
# --text with a window holding one line of text (an empty window loads no fonts, which
# any window with words in it must). Each prints the time of that paint; the script takes
# it from just before it started the process. Runs alternate between the programs.
# Offscreen always, and on Xvfb (the xcb platform) when Xvfb is installed. The aim: the
# program within 1.5x the plain window.
set -euo pipefail
BIN=$(cd "${1:-build/bin}" && pwd)
RUNS=${2:-20}
for tool in gui_start_sheet gui_plain_window; do
  [[ -x $BIN/$tool ]] || { echo "missing $BIN/$tool (build with VANTREL_WITH_BENCH=ON)" >&2; exit 1; }
done

WORK=$(mktemp -d)
XVFB_PID=""
trap '[[ -n $XVFB_PID ]] && kill $XVFB_PID 2>/dev/null; rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/runtime   # never the user's settings
mkdir -p "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$WORK"

# startup_ms PROGRAM [ARGS]: milliseconds from the start of PROGRAM to its first paint.
startup_ms() {
  local start=$EPOCHREALTIME out
  out=$("$BIN/$1" "${@:2}" 2>/dev/null) || { echo "$1 failed" >&2; return 1; }
  awk -v s="$start" -v o="${out#shown }" 'BEGIN { printf "%.3f\n", (o - s) * 1000 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

measure() {  # measure LABEL: RUNS alternating runs of the three in the current platform
  local label=$1
  : > "$WORK/sheet"; : > "$WORK/plain"; : > "$WORK/text"
  # Warm the caches first.
  startup_ms gui_start_sheet >/dev/null; startup_ms gui_plain_window >/dev/null
  for _ in $(seq "$RUNS"); do
    startup_ms gui_start_sheet >> "$WORK/sheet"
    startup_ms gui_plain_window >> "$WORK/plain"
    startup_ms gui_plain_window --text >> "$WORK/text"
  done
  awk -v l="$label" -v s="$(median < "$WORK/sheet")" -v p="$(median < "$WORK/plain")" \
      -v t="$(median < "$WORK/text")" -v n="$RUNS" 'BEGIN {
    r = s / p
    printf "%-10s median of %d: main sheet %.1f ms, empty window %.1f ms, window with text %.1f ms: %.2fx the empty window (aim 1.5x)%s, %.2fx the window with text\n",
           l, n, s, p, t, r, r <= 1.5 ? "" : " ABOVE THE AIM", s / t
  }'
}

QT_QPA_PLATFORM=offscreen measure offscreen

if command -v Xvfb >/dev/null; then
  display=""
  for n in $(seq 91 120); do
    [[ -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp > "$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
    if kill -0 $XVFB_PID 2>/dev/null && [[ -e /tmp/.X11-unix/X$n ]]; then display=":$n"; break; fi
    XVFB_PID=""
  done
  if [[ -z $display ]]; then
    echo "Xvfb did not start: offscreen only"
  elif ! DISPLAY=$display QT_QPA_PLATFORM=xcb "$BIN/gui_plain_window" >/dev/null 2>&1; then
    echo "no window on Xvfb (is Qt's xcb platform plugin installed?): offscreen only"
  else
    DISPLAY=$display QT_QPA_PLATFORM=xcb measure "Xvfb (xcb)"
  fi
else
  echo "no Xvfb: offscreen only"
fi
