#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Mutation testing for maintainers (not part of CI): applies the small source edits listed in
# scripts/mutants.txt one at a time, rebuilds only the test targets that guard each one in
# ./build-mutate, runs those tests and reports whether the tests killed the mutant.
#
#   scripts/mutate.sh [LIST] [--only N[,M...]]
#
# LIST is scripts/mutants.txt unless given; --only runs the mutants with those numbers (as
# the report numbers them). Every file is restored after its mutant, also on Ctrl-C. Exit
# status: 0 when every mutant not marked equivalent was killed, 1 when one survived, 2 on a
# stale list, a dirty work tree or a build that fails before any mutant is applied.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
LIST="$ROOT/scripts/mutants.txt"
ONLY=""
while [ $# -gt 0 ]; do
  case "$1" in
    --only) ONLY="${2:?--only needs a mutant number}"; shift 2 ;;
    --only=*) ONLY="${1#--only=}"; shift ;;
    -h|--help) sed -n '3,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "mutate: unknown option $1" >&2; exit 2 ;;
    *) LIST=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); shift ;;
  esac
done
[ -f "$LIST" ] || { echo "mutate: no list at $LIST" >&2; exit 2; }
BUILD="$ROOT/build-mutate"
LOGS="$BUILD/mutate-logs"
JOBS="${MUTATE_JOBS:-2}"

# --- Reading the list -------------------------------------------------------------------
# Lines: "targets SELECTOR = TARGET..." maps a CTest selection to the targets it needs;
# "FILE @@ SED @@ SELECTOR [@@ equivalent: REASON]" is one mutant. SELECTOR is "-L regex"
# or "-R regex" exactly as ctest takes it.
declare -A TARGETS=()
M_FILE=() M_SED=() M_SEL=() M_NOTE=() M_LINE=()
lineNo=0
while IFS= read -r raw || [ -n "$raw" ]; do
  lineNo=$((lineNo + 1))
  line="${raw#"${raw%%[![:space:]]*}"}"
  [ -z "$line" ] || [ "${line:0:1}" = "#" ] && continue
  if [[ "$line" == targets\ * ]]; then
    entry="${line#targets }"
    sel="${entry%% = *}"
    [ "$sel" != "$entry" ] || { echo "mutate: $LIST:$lineNo: expected 'targets SELECTOR = TARGET...'" >&2; exit 2; }
    TARGETS["$sel"]="${entry#* = }"
    continue
  fi
  IFS=$'\x1f' read -r file expr sel note <<<"${line//' @@ '/$'\x1f'}"
  if [ -z "${file:-}" ] || [ -z "${expr:-}" ] || [ -z "${sel:-}" ]; then
    echo "mutate: $LIST:$lineNo: expected 'FILE @@ SED @@ SELECTOR [@@ equivalent: REASON]'" >&2
    exit 2
  fi
  if [ -n "${note:-}" ] && [[ "$note" != equivalent:* ]]; then
    echo "mutate: $LIST:$lineNo: the fourth field must start with 'equivalent:'" >&2
    exit 2
  fi
  M_FILE+=("$file") M_SED+=("$expr") M_SEL+=("$sel") M_NOTE+=("${note:-}") M_LINE+=("$lineNo")
done <"$LIST"
count=${#M_FILE[@]}
[ "$count" -gt 0 ] || { echo "mutate: $LIST lists no mutants" >&2; exit 2; }

# Which mutants run (1-based).
RUN=()
if [ -n "$ONLY" ]; then
  IFS=',' read -ra picks <<<"$ONLY"
  for n in "${picks[@]}"; do
    [[ "$n" =~ ^[0-9]+$ ]] && [ "$n" -ge 1 ] && [ "$n" -le "$count" ] ||
      { echo "mutate: --only $n: the list has mutants 1 to $count" >&2; exit 2; }
    RUN+=("$n")
  done
else
  for ((n = 1; n <= count; ++n)); do RUN+=("$n"); done
fi

# Every file exists, every selector has targets and the tree holds no edits of its own to
# the files mutated: restoring them must give back exactly what the maintainer had.
declare -A FILES=() SELS=()
for n in "${RUN[@]}"; do
  i=$((n - 1))
  f="${M_FILE[$i]}" s="${M_SEL[$i]}"
  [ -f "$ROOT/$f" ] || { echo "mutate: $LIST:${M_LINE[$i]}: no file $f" >&2; exit 2; }
  [ -n "${TARGETS[$s]:-}" ] || { echo "mutate: $LIST:${M_LINE[$i]}: no 'targets $s = ...' line" >&2; exit 2; }
  FILES["$f"]=1 SELS["$s"]=1
done
# Each expression must change exactly one line; a list gone stale stops before any build.
# (Checked again as each mutant is applied.)
stale=0
for n in "${RUN[@]}"; do
  i=$((n - 1))
  changes=$(sed -e "${M_SED[$i]}" "$ROOT/${M_FILE[$i]}" 2>/dev/null | diff "$ROOT/${M_FILE[$i]}" - | grep -c '^[<>]' || true)
  if [ "$changes" -ne 2 ]; then
    echo "mutate: $LIST:${M_LINE[$i]}: mutant $n changes $((changes / 2)) lines of ${M_FILE[$i]}, not one" >&2
    stale=$((stale + 1))
  fi
done
[ "$stale" -eq 0 ] || { echo "mutate: the list is stale; fix those lines first" >&2; exit 2; }
dirty=$(cd "$ROOT" && git status --porcelain -- "${!FILES[@]}")
if [ -n "$dirty" ]; then
  echo "mutate: these files have changes of their own; commit or stash them first:" >&2
  echo "$dirty" >&2
  exit 2
fi

# --- Restoring ----------------------------------------------------------------------------
# The original goes back with a fresh time stamp (a plain copy, never cp -p), so that the
# build compiles it again instead of keeping the mutant's object file.
SAVED="" SAVED_FILE=""
restore() {
  if [ -n "$SAVED_FILE" ]; then
    cat "$SAVED" >"$ROOT/$SAVED_FILE"
    SAVED_FILE=""
  fi
}
cleanup() {
  restore
  [ -z "$SAVED" ] || rm -f "$SAVED"
}
trap cleanup EXIT
# The message goes to the terminal (fd 3) even when the signal comes while output goes to a log.
exec 3>&2
trap 'echo "mutate: interrupted; the mutated file is restored" >&3; exit 130' INT TERM
SAVED=$(mktemp)

# --- The build folder and the unmutated run -------------------------------------------
mkdir -p "$LOGS"
if [ ! -f "$BUILD/build.ninja" ]; then
  echo "mutate: configuring $BUILD"
  (cd "$ROOT" && cmake --preset default -B "$BUILD" -DVANTREL_WITH_BENCH=OFF) >"$LOGS/configure.log" 2>&1 ||
    { echo "mutate: configuring failed, see $LOGS/configure.log" >&2; exit 2; }
fi
build() { nice -n 10 cmake --build "$BUILD" -j"$JOBS" --target "$@"; }
runTests() {
  local sel="$1"
  # shellcheck disable=SC2086  # the selector is an option and its argument
  (cd "$BUILD" && nice -n 10 ctest --no-tests=error --stop-on-failure -j"$JOBS" \
     "${sel%% *}" "${sel#* }")
}
allTargets=()
for s in "${!SELS[@]}"; do read -ra t <<<"${TARGETS[$s]}"; allTargets+=("${t[@]}"); done
echo "mutate: building ${allTargets[*]} unmutated"
build "${allTargets[@]}" >"$LOGS/baseline.log" 2>&1 ||
  { echo "mutate: the unmutated build fails, see $LOGS/baseline.log" >&2; exit 2; }
for s in "${!SELS[@]}"; do
  runTests "$s" >>"$LOGS/baseline.log" 2>&1 ||
    { echo "mutate: tests '$s' fail without any mutant, see $LOGS/baseline.log" >&2; exit 2; }
done

# --- The mutants --------------------------------------------------------------------------
killed=0 survived=0 equivalent=0 stale=0 startAll=$(date +%s)
SURVIVORS=()
for n in "${RUN[@]}"; do
  i=$((n - 1))
  f="${M_FILE[$i]}" expr="${M_SED[$i]}" sel="${M_SEL[$i]}" note="${M_NOTE[$i]}"
  log="$LOGS/mutant-$n.log"
  start=$(date +%s)
  cp "$ROOT/$f" "$SAVED"
  SAVED_FILE="$f"
  if ! sed -i -e "$expr" "$ROOT/$f" 2>"$log"; then
    restore
    echo "[$n] STALE     $f: sed failed ($(head -1 "$log"))"
    stale=$((stale + 1))
    continue
  fi
  # Exactly one line changed, or the list no longer matches the code.
  changes=$(diff "$SAVED" "$ROOT/$f" | grep -c '^[<>]' || true)
  if [ "$changes" -ne 2 ]; then
    restore
    echo "[$n] STALE     $f: '$expr' changes $((changes / 2)) lines, not one (list line ${M_LINE[$i]})"
    stale=$((stale + 1))
    continue
  fi
  diff "$SAVED" "$ROOT/$f" >"$log" || true
  read -ra targets <<<"${TARGETS[$sel]}"
  if ! build "${targets[@]}" >>"$log" 2>&1; then
    verdict="killed" how="does not compile"
  elif ! runTests "$sel" >>"$log" 2>&1; then
    verdict="killed" how="tests fail"
  else
    verdict="survived" how="tests pass"
  fi
  restore
  secs=$(($(date +%s) - start))
  if [ "$verdict" = killed ]; then
    killed=$((killed + 1))
    [ -z "$note" ] || how="$how; its 'equivalent' note is wrong"
  elif [ -n "$note" ]; then
    verdict="equivalent" how="${note#equivalent: }"
    equivalent=$((equivalent + 1))
  else
    survived=$((survived + 1))
    SURVIVORS+=("$n")
  fi
  printf '[%d] %-10s %s (%ss, %s) %s\n' "$n" "$verdict" "$f" "$secs" "$how" "$expr"
done

# Rebuild the restored sources so that build-mutate holds no mutant's objects.
build "${allTargets[@]}" >>"$LOGS/baseline.log" 2>&1 || true

total=$((killed + survived))
elapsed=$(($(date +%s) - startAll))
ran=$((killed + survived + equivalent))
echo
echo "mutate: $killed killed, $survived survived, $equivalent equivalent, $stale stale"
if [ "$total" -gt 0 ]; then
  echo "mutate: score $((100 * killed / total))% ($killed of $total that are not equivalent)," \
    "$((elapsed / (ran > 0 ? ran : 1)))s a mutant"
fi
[ "${#SURVIVORS[@]}" -eq 0 ] || echo "mutate: survivors: ${SURVIVORS[*]} (logs in $LOGS)"
[ "$stale" -eq 0 ] || exit 2
[ "$survived" -eq 0 ] || exit 1
