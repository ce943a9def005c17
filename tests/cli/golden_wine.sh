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
VANTREL_GOLDEN_WINE=$wine VANTREL_GOLDEN_EXE=$exe VANTREL_GOLDEN_COM=$port \
  VANTREL_GOLDEN_LINE=$work/line "$golden" --gtest_filter='Cli/GoldenCase.*'
