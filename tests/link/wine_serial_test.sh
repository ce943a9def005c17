#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Win32 serial port under wine, against the Linux simulator on a pseudo-terminal that
# wine maps to a COM port: a clean download, one over a faulty line (the link retries), and
# a port that is not there.
#   wine_serial_test.sh WINE LOGGER_SIM FETCH_EXE
set -euo pipefail
wine=$1
sim=$2
fetch=$3
if [ ! -x "$sim" ]; then
  echo "no Linux simulator at $sim: build it first (cmake --build build --target vantrel-logger-sim)"
  exit 1
fi
port=COM9
work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  "$wine" reg delete 'HKLM\Software\Wine\Ports' /v $port /f >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/image"
head -c 3000 /dev/urandom >"$work/image/DATA.BIN"
printf 'short' >"$work/image/A.TXT"
expected="files 2 bytes 3005"
failures=0

# Starts the simulator with the options given and maps the COM port to its terminal; wine
# reads the mapping when its server starts.
start_sim() {
  rm -f "$work/sim.out"
  "$sim" --link "$work/line" --image "$work/image" "$@" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do grep -q '^ready' "$work/sim.out" && break; sleep 0.05; done
  "$wine" reg add 'HKLM\Software\Wine\Ports' /v $port /d "$(readlink -f "$work/line")" /f \
    >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
}
stop_sim() {
  kill "$sim_pid" && wait "$sim_pid" 2>/dev/null || true
  sim_pid=
}
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}

start_sim --baud 38400
out=$("$wine" "$fetch" $port 38400 2>"$work/err" | sed 's/ seconds.*//') || true
check "download at 38400 baud" "$expected" "$out"
stop_sim

start_sim --bad-lrc-every 4 --drop-every 6 --seed 7
out=$("$wine" "$fetch" $port 38400 2>"$work/err" | sed 's/ seconds.*//') || true
check "download over a faulty line" "$expected" "$out"
stop_sim

# No simulator behind the port: the open fails after its retries, with a message.
"$wine" reg delete 'HKLM\Software\Wine\Ports' /v $port /f >/dev/null 2>&1 || true
wineserver -k >/dev/null 2>&1 || true
status=0
"$wine" "$fetch" COM250 38400 >/dev/null 2>"$work/err" || status=$?
check "missing port fails" "1" "$status"
named=0
grep -q 'no serial port .*COM250' "$work/err" && named=1
check "missing port is named" "1" "$named"
exit $((failures > 0))
