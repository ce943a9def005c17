#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The long runs of the tool's fault soak and kill tests (CI runs 20 backups and 24 kills).
#   bench/backup_soak.sh [BIN_DIR] [SOAK_ROUNDS] [KILL_ROUNDS]   (defaults build/bin 200 100)
# SOAK_ROUNDS backups over a line with hold-offs, NAKs, bad LRCs and dropped replies, each
# equal to the clean backup but for its date; 2 x KILL_ROUNDS backups killed with SIGKILL
# during the download and during the writing.
set -euo pipefail
BIN=$(cd "${1:-build/bin}" && pwd)
[[ -x $BIN/e2e_cli_soak_tests ]] || { echo "missing $BIN/e2e_cli_soak_tests (make build)" >&2; exit 1; }
start=$(date +%s)
SOAK_ROUNDS=${2:-200} KILL_ROUNDS=${3:-100} "$BIN/e2e_cli_soak_tests" --gtest_brief=1
echo "soak and kill runs passed in $(( $(date +%s) - start )) s"
