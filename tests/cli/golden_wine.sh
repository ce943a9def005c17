#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The golden cases of tests/cli/golden/ with the Windows build's vantrel.exe under wine, run
# by the Linux build's harness (Golden_test.cpp): a COM port is mapped to a fixed path that
# each case links to its simulator's terminal; wine reads the mapping when its server starts,
# so the server is started once, after the mapping, and kept running until the end.
#   golden_wine.sh WINE LINUX_GOLDEN_TESTS VANTREL_EXE
set -euo pipefail
wine=$(command -v "$1")
golden=$2
exe=$(readlink -f "$3")
if [ ! -x "$golden" ]; then
  echo "no Linux golden harness at $golden: build it first (cmake --build build --target cli_golden_tests)"
  exit 1
fi
port=COM5
work=$(mktemp -d)
cleanup() {
  "$wine" reg delete 'HKLM\Software\Wine\Ports' /v $port /f >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
"$wine" reg add 'HKLM\Software\Wine\Ports' /v $port /d "$work/line" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -p >/dev/null 2>&1
status=0
VANTREL_GOLDEN_WINE=$wine VANTREL_GOLDEN_EXE=$exe VANTREL_GOLDEN_COM=$port \
  VANTREL_GOLDEN_LINE=$work/line "$golden" --gtest_filter='Cli/GoldenCase.*' || status=1

# The settings in the registry: the key, the value names and their types, as the desktop
# program of old kept them; and a backup folder named outside the ANSI code page.
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: expected '$2', got '$3'"; status=1; fi
}
"$wine" reg delete 'HKCU\Software\Ortvel' /f >/dev/null 2>&1 || true
folder="$work/Zürich/東京"
mkdir -p "$folder"
"$wine" "$exe" settings Port COM7 >/dev/null 2>&1
"$wine" "$exe" settings "Baud Rate" 19200 >/dev/null 2>&1
"$wine" "$exe" settings "Default Path" "Z:${folder//\//\\}" >/dev/null 2>&1
values=$("$wine" reg query 'HKCU\Software\Ortvel\VantrelUtilities\Settings' 2>/dev/null | tr -d '\r' |
         awk 'NF >= 3 { name = $1; for (i = 2; i < NF - 1; i++) name = name " " $i; print name "=" $(NF - 1) }' |
         grep -v '^Default Path\|^Home Directory' | sort | tr '\n' ' ')
check "registry values and types" \
  "Baud Rate=REG_DWORD CommsAttempts=REG_DWORD CommsTimeOut=REG_DWORD Port=REG_SZ " "$values"
value() {  # value NAME: the data of a value of the Settings key
  "$wine" reg query 'HKCU\Software\Ortvel\VantrelUtilities\Settings' /v "$1" 2>/dev/null |
    tr -d '\r' | awk 'NF { data = $NF } END { printf "%s", data }'
}
check "registry data" "0x1 COM7" "$(value 'Baud Rate') $(value Port)"
touch "$folder/Feldarbeit.vbk"
check "a backup folder outside the ANSI code page" "Backup folder: Z:${folder//\//\\}" \
  "$("$wine" "$exe" list 2>/dev/null | head -1)"
"$wine" reg delete 'HKCU\Software\Ortvel' /f >/dev/null 2>&1 || true
exit $status
