#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program under wine in a prefix whose windows need no display: wine's null
# graphics driver gives them all a Windows program sees (handles, styles, menus, messages)
# and draws nothing. The prefix is the caller's with "-native" appended, set up once (under
# a lock, for tests run side by side):
#   wine_null_display.sh PROGRAM.exe ARGS...
set -euo pipefail
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine}-native"
key='HKCU\Software\Wine\Drivers'
(
  flock 9
  if ! wine reg query "$key" /v Graphics 2>/dev/null | grep -q null; then
    wine reg add "$key" /v Graphics /d null /f >/dev/null 2>&1
    # The desktop chose its driver when the prefix was made: it starts again with this one.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
  fi
) 9>"$WINEPREFIX.lock"
exec wine "$@"
