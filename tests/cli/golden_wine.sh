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
  VANTREL_GOLDEN_LINE=$work/line VANTREL_GOLDEN_EVENT="$(dirname "$exe")/vantrel-console-event.exe" \
  "$golden" --gtest_filter='Cli/GoldenCase.*' || status=1

# The settings in the registry: the key, the value names and their types, as the desktop
# program of old kept them; and a backup folder named outside the ANSI code page.
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: expected '$2', got '$3'"; status=1; fi
}
run() {  # run ARGS...: vantrel.exe's output (both streams) and its exit status as the last line
  local code=0 out
  out=$("$wine" "$exe" "$@" 2>&1) || code=$?
  printf '%s\n%s' "$out" "$code"
}
ends() { [ "${2##*$'\n'}" = "$1" ]; }  # ends STATUS OUTPUT
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

# Values of other types, as regedit or another tool leaves them: a REG_EXPAND_SZ folder is
# expanded; a REG_MULTI_SZ one is refused like any folder that is none (never taken for the
# current directory); a restore record holding a value of another type goes untold.
key='HKCU\Software\Ortvel\VantrelUtilities'
"$wine" reg add "$key\Settings" /v "Default Path" /t REG_EXPAND_SZ /d '%USERPROFILE%\Vantrel' /f \
  >/dev/null 2>&1
profile=$("$wine" cmd /c echo %USERPROFILE% 2>/dev/null | tr -d '\r')
mkdir -p "$(winepath -u "$profile\Vantrel" 2>/dev/null)"
check "a REG_EXPAND_SZ folder, expanded" "Backup folder: $profile\Vantrel" \
  "$("$wine" "$exe" list 2>&1 | head -1)"
"$wine" reg add "$key\Settings" /v "Default Path" /t REG_MULTI_SZ /d "Z:${folder//\//\\}\\0C:\\" /f \
  >/dev/null 2>&1
out=$(run list)
ends 2 "$out" && grep -q "the backup folder is not a folder: " <<<"$out" && r=ok || r=$out
check "a REG_MULTI_SZ folder, refused" ok "$r"
"$wine" reg add "$key\Restore 1" /v Stage /t REG_BINARY /d 0102 /f >/dev/null 2>&1
"$wine" reg add "$key\Restore 1" /v Backup /d 'C:\Spoilt.vbk' /f >/dev/null 2>&1
out=$(run logger ls --port COM99)
left=$("$wine" reg query "$key\Restore 1" 2>/dev/null | grep -c REG_ || true)
check "a restore record with a value of another type, removed untold" "0 0" \
  "$(grep -c 'Spoilt' <<<"$out" || true) $left"
"$wine" reg delete 'HKCU\Software\Ortvel' /f >/dev/null 2>&1 || true

# A backup folder whose path is longer than Windows' 260 characters, as the settings name
# it: every command on its backups, against the Linux simulator on the COM port.
bin=$(dirname "$golden")
"$bin/vantrel-make-sample-image" "$work/image" --profiles 2 --readings 4 --sensors 2 --seed 5 >/dev/null
rm -f "$work/line"  # the last case's link
"$bin/vantrel-logger-sim" --link "$work/line" --image "$work/image" >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null || true; cleanup' EXIT
for _ in $(seq 100); do [ -e "$work/line" ] && break; sleep 0.1; done
long=$work/long
while [ ${#long} -le 300 ]; do long=$long/$(printf 'd%.0s' {1..60}); done
mkdir -p "$long"
winlong="Z:${long//\//\\}"
"$wine" "$exe" settings "Default Path" "$winlong" >/dev/null 2>&1
out=$(run backup Field --port $port)
ends 0 "$out" && [ -f "$long/Field.vbk" ] && r=ok || r=$out
check "a backup into a ${#winlong}-character folder" ok "$r"
out=$(run list); check "list there" 1 "$(grep -c '^Field ' <<<"$out" || true)"
out=$(run rename Field North)
ends 0 "$out" && [ -f "$long/North.vbk" ] && r=ok || r=$out
check "rename there" ok "$r"
out=$(run info "$winlong\\North.vbk"); ends 0 "$out" && r=ok || r=$out
check "info there" ok "$r"
out=$(run export "$winlong\\North.vbk" --out "$winlong\\North.csv")
again=$(run export "$winlong\\North.vbk" --out "$winlong\\North.csv")
ends 0 "$out" && ends 0 "$again" &&
  r="$(ls "$long" | grep -c '^North (Pro..)\.csv$') $(grep -c ': unchanged' <<<"$again")" ||
  r="$out $again"
check "export there, and again into the files it made" "2 2" "$r"
out=$(run backup North --port $port)
ends 0 "$out" && [ -f "$long/North(1).vbk" ] && r=ok || r=$out
check "a taken name there gets a number" ok "$r"
out=$(run delete North --yes)
ends 0 "$out" && [ ! -e "$long/North.vbk" ] && r=ok || r=$out
check "delete there" ok "$r"

# Windows' device names, as backup, rename and export names: refused before any work (no
# connection, no file), naming the name and why.
before=$(ls "$long" | sort)
for name in CON NUL 'CONIN$' con.vbk Nul.Vbk 'NUL ' aux.north com1.data; do
  out=$(run backup "$name" --port $port)
  ends 2 "$out" && grep -q "is the name of a device" <<<"$out" && r=ok || r=$out
  check "backup named '$name'" ok "$r"
done
out=$(run rename "North(1)" Aux); ends 2 "$out" && grep -q "'Aux.vbk' cannot be" <<<"$out" && r=ok || r=$out
check "rename to a device name" ok "$r"
out=$(run export "$winlong\\North(1).vbk" --out "$winlong\\con.north.csv")
ends 2 "$out" && grep -q "'con.north (Pro01).csv' cannot be" <<<"$out" && r=ok || r=$out
check "export to a device name" ok "$r"
check "nothing made or changed by the refused names" "$before" "$(ls "$long" | sort)"
"$wine" reg delete 'HKCU\Software\Ortvel' /f >/dev/null 2>&1 || true
exit $status
