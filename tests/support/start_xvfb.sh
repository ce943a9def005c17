# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the shell tests that need an X server of their own.
#
#     start_xvfb FIRST LAST WIDTHxHEIGHT LOG
#
# starts Xvfb on the first free display from :FIRST to :LAST and sets DISPLAY_NUMBER and
# XVFB_PID (the caller stops it); returns 1 when no display could be had. Each test keeps its
# own range, so tests running at once never race for a number.
start_xvfb() {
  local first=$1 last=$2 size=$3 log=$4 n
  DISPLAY_NUMBER=""
  XVFB_PID=""
  for n in $(seq "$first" "$last"); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >"$log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
      kill -0 "$XVFB_PID" 2>/dev/null || break
      [ -S "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    # The socket can belong to another server that took the number at the same moment;
    # ours then ends on the lock.
    sleep 0.2
    if [ -S "/tmp/.X11-unix/X$n" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
      DISPLAY_NUMBER=$n
      return 0
    fi
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  done
  return 1
}
