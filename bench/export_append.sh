#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Appending new readings to a large export file against a small one, in the same run:
# `vantrel export` of a backup (one profile, 16 depths, 2000 hourly readings) whose profile
# file exists already and lacks the backup's last 24 readings. The large file holds, between
# its header and those readings, years of older readings (one a minute) up to MB megabytes.
# Peak memory (maximum resident set size) and wall time of the whole process, medians of
# RUNS runs each, the three kinds alternating; a new file (nothing to append to) is the
# baseline. The grown file (the old bytes copied, then the new lines) replaces the old one
# whole; after each run it is cut back to the old size, so every run appends the same
# readings.
#   bench/export_append.sh [BIN_DIR] [RUNS] [MB]      (default build/bin, 5 runs, 200 MB)
set -euo pipefail
BIN=$(cd "${1:-build/bin}" && pwd)
RUNS=${2:-5}
MB=${3:-200}
for tool in vantrel vantrel-make-sample-image vantrel-pack-image; do
  [[ -x $BIN/$tool ]] || { echo "missing $BIN/$tool (make build)" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package 'time')" >&2; exit 1; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/config   # never the user's settings
cd "$WORK"
"$BIN/vantrel-make-sample-image" image --profiles 1 --readings 2000 --sensors 16 --seed 5 > /dev/null
"$BIN/vantrel-pack-image" image Site.vbk > /dev/null
mkdir whole new small large
"$BIN/vantrel" export Site.vbk --out whole/Site.csv > /dev/null
name="Site (Pro01).csv"
header_lines=10  # site block, calibration block and format header
head -n -24 "whole/$name" > "small/$name"
{
  head -n "$header_lines" "whole/$name"
  awk -v bytes=$((MB << 20)) 'BEGIN {
    split("Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec", month, " ")
    for (s = 0; s < 16; s++) values = values sprintf(", %f", 10 + s * 2.5)
    for (minute = 0; written < bytes; minute++) {
      t = minute; mi = t % 60; t = int(t / 60); h = t % 24; t = int(t / 24)
      d = t % 28 + 1; t = int(t / 28); mo = t % 12 + 1; y = 1990 + int(t / 12)
      line = sprintf("%02d %s %04d %02d:%02d:00%s\r\n", d, month[mo], y, h, mi, values)
      printf "%s", line
      written += length(line)
    }
  }'
  tail -n +$((header_lines + 1)) "small/$name"
} > "large/$name"

# run FOLDER: appends "peak_kB wall_ms" of one export into FOLDER to FOLDER.times.
run() {
  local folder=$1 size=0 start
  [[ -e $folder/$name ]] && size=$(stat -c %s "$folder/$name")
  start=$EPOCHREALTIME
  /usr/bin/time -f "%M" -o "$WORK/time" "$BIN/vantrel" export Site.vbk --out "$folder/Site.csv" > "$WORK/said"
  awk -v kb="$(cat "$WORK/time")" -v s="$start" -v e="$EPOCHREALTIME" \
      'BEGIN { printf "%d %.1f\n", kb, (e - s) * 1000 }' >> "$folder.times"
  if [[ $folder == new ]]; then
    rm "$folder/$name"
  else
    grep -q "appended to existing files" "$WORK/said" || { cat "$WORK/said" >&2; exit 1; }
    cmp -s <(tail -n 24 "$folder/$name") <(tail -n 24 "whole/$name") || { echo "wrong readings appended in $folder" >&2; exit 1; }
    truncate -s "$size" "$folder/$name"
  fi
}
for _ in $(seq "$RUNS"); do run new; run small; run large; done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
stats() { echo "$(cut -d' ' -f1 "$1.times" | median) $(cut -d' ' -f2 "$1.times" | median)"; }
read -r newKb newS <<< "$(stats new)"
read -r smallKb smallS <<< "$(stats small)"
read -r largeKb largeS <<< "$(stats large)"
awk -v n="$RUNS" -v ls="$(stat -c %s "large/$name")" -v ss="$(stat -c %s "small/$name")" \
    -v nk="$newKb" -v ns="$newS" -v sk="$smallKb" -v st="$smallS" -v lk="$largeKb" -v lt="$largeS" 'BEGIN {
  printf "appending 24 readings of 16 depths; medians of %d runs each, alternating:\n", n
  printf "  new file (nothing to append to)   peak RSS %6.1f MB  wall %6.1f ms\n", nk / 1024, ns
  printf "  append to a %6.1f MB file        peak RSS %6.1f MB  wall %6.1f ms\n", ss / 1048576, sk / 1024, st
  printf "  append to a %6.1f MB file        peak RSS %6.1f MB  wall %6.1f ms  (%.2fx the small file'"'"'s memory, %.2fx its time)\n",
         ls / 1048576, lk / 1024, lt, lk / sk, (st > 0 ? lt / st : 1)
}'
