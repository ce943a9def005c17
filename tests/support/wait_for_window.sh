# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts that drive a program's windows with xdotool.
#
#     wait_for_window SECONDS PATTERN   prints the first visible window whose title matches
#
# One `xdotool search --sync` gives up at the first X error, as when a window it looks at is
# destroyed under it (a splash or a progress box closing), so the search is repeated until
# the time is up. Returns 1 when no such window showed.
wait_for_window() {
  local seconds=$1 pattern=$2 deadline found
  deadline=$((SECONDS + seconds))
  while [ "$SECONDS" -lt "$deadline" ]; do
    found=$(timeout $((deadline - SECONDS)) xdotool search --sync --onlyvisible --name "$pattern" \
      2>/dev/null | head -n 1) || true
    if [ -n "$found" ]; then
      echo "$found"
      return 0
    fi
    sleep 0.2
  done
  return 1
}
