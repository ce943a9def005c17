#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Loads the bash completion of vantrel into this shell and completes command lines as
# bash would (COMP_WORDS, COMP_CWORD), in a home folder of its own with a settings file,
# backups and a made-up /dev; then checks that the commands and options it completes are
# those that `vantrel --help` and `vantrel COMMAND --help` list.
#
#     completion_test.sh COMPLETION_FILE VANTREL
set -uo pipefail

COMPLETION=${1:?usage: completion_test.sh COMPLETION_FILE VANTREL}
VANTREL=${2:?usage: completion_test.sh COMPLETION_FILE VANTREL}

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-completion.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
export HOME="$WORK/home"
export XDG_CONFIG_HOME="$HOME/.config"
mkdir -p "$HOME"
cd "$WORK" || exit 1

# bash-completion sources the file from inside a function, when vantrel is first completed.
load_on_demand() {
  # shellcheck source=/dev/null
  source "$1"
}
load_on_demand "$COMPLETION"
if [[ $(complete -p vantrel 2>/dev/null) != "complete -F _vantrel vantrel" ]]; then
  echo "the file does not register _vantrel for vantrel" >&2
  exit 1
fi

failures=0
checks=0

# completions WORD...: what Tab offers with the cursor at the end of the last word, sorted,
# one a line.
completions() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _vantrel vantrel "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  if ((${#COMPREPLY[@]})); then printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort; fi
}

# expect "A|B|C" WORD...: the completions of the words are exactly A, B and C.
expect() {
  local wanted=$1
  shift
  checks=$((checks + 1))
  local got
  got=$(completions "$@" | paste -sd '|' -)
  if [[ $got != "$wanted" ]]; then
    printf 'FAIL: %s<Tab>\n  expected: %s\n  got:      %s\n' "$*" "$wanted" "$got" >&2
    failures=$((failures + 1))
  fi
}

# --- Commands and their options
expect "backup|delete|export|info|list|logger|plot|ports|rename|restore|settings" vantrel ""
expect "logger" vantrel lo
expect "ls|rm" vantrel logger ""
expect "ls|rm" vantrel --port ttyUSB0 --baud 9600 logger ""
expect "--verbose|--version" vantrel logger ls --port ttyUSB0 --v
expect "--format" vantrel export North.vbk --f
expect "--help|--version" vantrel --
expect "calibrated|scaled" vantrel export x.vbk --format ""
expect "scaled" vantrel export x.vbk --format s
# bash splits "--format=s" at the "=".
expect "scaled" vantrel export x.vbk --format = s
expect "19200|38400|9600" vantrel backup --baud ""
expect "19200" vantrel backup --baud = 19
expect "" vantrel export x.vbk --profiles ""

# The options each command completes are those its --help lists.
mapfile -t commands < <("$VANTREL" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\( [a-z][a-z-]*\)\?\)  .*/\1/p')
if ((${#commands[@]} < 5)); then
  echo "FAIL: could not read the commands of '$VANTREL --help'" >&2
  failures=$((failures + 1))
fi
offered=$(completions vantrel "" | grep -v '^logger$')
listed=$(printf '%s\n' "${commands[@]}" | grep -v '^logger ' | LC_ALL=C sort)
checks=$((checks + 1))
if [[ $offered != "$listed" ]]; then
  printf 'FAIL: the commands completed differ from those of vantrel --help:\n%s\n' \
    "$(diff <(echo "$offered") <(echo "$listed"))" >&2
  failures=$((failures + 1))
fi
for command in "${commands[@]}"; do
  read -r -a words <<<"$command"
  from_help=$("$VANTREL" "${words[@]}" --help | sed -n 's/^  \(--[a-z-]*\).*/\1/p' | LC_ALL=C sort | paste -sd '|' -)
  expect "$from_help" vantrel "${words[@]}" --
done

# --- Serial ports: a made-up /dev with two UARTs, of which the kernel found one
dev="$WORK/dev"
mkdir -p "$dev/serial/by-id" "$WORK/sys/ttyS0" "$WORK/sys/ttyS1"
touch "$dev/ttyS0" "$dev/ttyS1" "$dev/ttyUSB0" "$dev/ttyACM3" "$dev/serial/by-id/usb-FTDI_A1-if00-port0"
echo 0 >"$WORK/sys/ttyS0/type"
echo 4 >"$WORK/sys/ttyS1/type"
_vantrel_dev=$dev
_vantrel_sys=$WORK/sys
expect "ttyACM3|ttyS1|ttyUSB0" vantrel logger ls --port tty
expect "/dev/ttyACM3|/dev/ttyS1|/dev/ttyUSB0" vantrel backup --port /dev/tty
expect "/dev/serial/by-id/usb-FTDI_A1-if00-port0" vantrel --port /dev/s
expect "ttyUSB0" vantrel settings Port ttyU
expect "ttyUSB0" vantrel restore North --port = ttyU

# --- Backups by title: the backup folder of the settings, stored quoted and escaped
folder="$WORK/field backups, \"north\""
other="$WORK/other"
mkdir -p "$folder/Old.vbk" "$other" "$XDG_CONFIG_HOME/Ortvel"
touch "$folder/North.vbk" "$folder/Vantrel Backup 07 Dec 2025.VBK" "$folder/notes.txt" \
  "$other/South.vbk" "$WORK/local.vbk" "$WORK/local.csv"
escaped=${folder//\"/\\\"}
printf '[Settings]\nBaud%%20Rate=2\nDefault%%20Path="%s"\n\n[StartUp]\nDefault%%20Path=/nowhere\n' \
  "$escaped" >"$XDG_CONFIG_HOME/Ortvel/VantrelUtilities.conf"
expect "North|Vantrel Backup 07 Dec 2025" vantrel restore ""
expect "Vantrel Backup 07 Dec 2025" vantrel delete V
expect "Vantrel Backup 07 Dec 2025" vantrel delete 'Vantrel\ B'
expect "Vantrel Backup 07 Dec 2025" vantrel delete '"Vantrel B'
expect "North" vantrel rename N
expect "" vantrel rename North ""
expect "South" vantrel delete --folder "$other" ""
expect "South" vantrel restore --folder="$other" ""
expect "$folder/North.vbk" vantrel info No
expect "local.vbk" vantrel export loc
expect "./local.vbk" vantrel restore ./loc
# info, export and plot take several backups.
expect "$folder/North.vbk" vantrel info x.vbk No
expect "$folder/North.vbk" vantrel plot x.vbk --profile 2 No
expect "" vantrel plot x.vbk --series ""
# Without settings the backup folder is the documents folder.
rm "$XDG_CONFIG_HOME/Ortvel/VantrelUtilities.conf"
mkdir -p "$HOME/Documents"
touch "$HOME/Documents/Home Site.vbk"
expect "Home Site" vantrel delete ""
# user-dirs.dirs names folders with a literal $HOME.
# shellcheck disable=SC2016
printf 'XDG_DOCUMENTS_DIR="$HOME/Papers"\n' >"$XDG_CONFIG_HOME/user-dirs.dirs"
mkdir -p "$HOME/Papers"
touch "$HOME/Papers/Paper.vbk"
expect "Paper" vantrel delete ""

# --- Files and folders
mkdir -p "$WORK/exports"
expect "exports" vantrel export x.vbk --out exp
expect "local.csv|local.vbk" vantrel backup --trace loc
expect "exports" vantrel list --folder ex
expect "Baud Rate" vantrel settings B
expect "19200|38400|9600" vantrel settings '"Baud Rate"' ""

echo "$((checks - failures)) passed, $failures failed"
((failures == 0))
