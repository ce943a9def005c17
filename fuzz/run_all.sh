#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target of build-fuzz for a while: 60 seconds each, or FUZZ_SECONDS.
# Each starts from its saved corpus (fuzz/corpus/<target>, never changed here) and from
# what earlier runs found (build-fuzz/fuzz-corpus/<target>, where new inputs go). An input
# that crashes, hangs, leaks or trips a sanitizer is kept in build-fuzz/fuzz-findings/;
# the script then ends with status 1. Copy a finding into fuzz/corpus/<target>/ once it is
# fixed, so the replay under CTest keeps it fixed.
#
# Usage: fuzz/run_all.sh [target ...]   (default: every target; names without "fuzz_")
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-60}
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(archive reply profile export_append excludes dates)

# Larger inputs than the default 4096 bytes for the targets that take whole logger files.
max_len() {
    case "$1" in
        profile | export_append | reply) echo 16384 ;;
        *) echo 4096 ;;
    esac
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
summary=()
for target in "${targets[@]}"; do
    binary=$build/bin/fuzz_$target
    if [ ! -x "$binary" ]; then
        echo "missing $binary: build with 'cmake --preset fuzz && cmake --build --preset fuzz'" >&2
        exit 2
    fi
    corpus=$build/fuzz-corpus/$target
    findings=$build/fuzz-findings/$target
    log=$build/fuzz-logs/$target.log
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    options=(-max_total_time="$seconds" -timeout=10 -max_len="$(max_len "$target")"
             -print_final_stats=1 -artifact_prefix="$findings/")
    [ -f "$root/fuzz/dict/$target.dict" ] && options+=(-dict="$root/fuzz/dict/$target.dict")

    echo "== fuzz_$target for ${seconds}s"
    "$binary" "${options[@]}" "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1
    result=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    if [ $result -eq 0 ]; then
        line="fuzz_$target: ${runs:-?} executions (${rate:-?}/s), nothing found"
    else
        status=1
        line="fuzz_$target: FOUND a fault after ${runs:-?} executions; see $log and $findings"
        grep -E "^(==[0-9]+==ERROR|SUMMARY|.*runtime error)" "$log" | head -n 3
    fi
    echo "$line"
    summary+=("$line")
done

echo
printf '%s\n' "${summary[@]}"
exit $status
