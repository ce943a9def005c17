#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the wine prefix of the Windows tests before any test program runs, and waits until
# wine is done with it. Wine makes a missing prefix at its first start and finishes it in the
# background; a test program listed meanwhile can end with it, and a suite whose list comes
# back empty fails the whole run (as on a new machine).
#   WINEPREFIX=... wine-prefix.sh
set -euo pipefail
: "${WINEPREFIX:?the prefix to make}"
export WINEDEBUG=${WINEDEBUG:--all}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1 || true
fi
wineserver --wait
