#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Pictures of the desktop program for review and documentation, at the normal scale and at
# scale 2 (high-density screens): every page, the About box, the help window, the export
# dialog, the readings window (of one backup, and over several backups of one site), Find
# Logger, the pages before, during and after a backup from a simulated logger, and the
# Restore / Export page during a restore of that backup. The offscreen screen is 1280x800,
# so at scale 2 every window must fit 640x400.
#   scripts/screenshots.sh OUTPUT_DIR [BIN_DIR]      (BIN_DIR default build/bin)
# Pictures go to OUTPUT_DIR/scale1 and OUTPUT_DIR/scale2. Builds nothing; uses settings,
# backups and a logger of its own (never yours), on the offscreen platform.
set -euo pipefail

OUT=${1:?usage: scripts/screenshots.sh OUTPUT_DIR [BIN_DIR]}
BIN=$(cd "${2:-build/bin}" && pwd)
for tool in vantrel-screenshots vantrel vantrel-logger-sim vantrel-make-sample-image vantrel-pack-image \
            vantrel-make-site-history; do
  [[ -x $BIN/$tool ]] || { echo "screenshots: $BIN/$tool is missing; run 'make build' first" >&2; exit 1; }
done
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-shots.XXXXXX")
SIM_PID=""
cleanup() {
  if [[ -n $SIM_PID ]]; then kill "$SIM_PID" 2>/dev/null || true; wait "$SIM_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
# A 1280x800 screen: the smallest the program serves at scale 2.
cat > "$WORK/screen.json" <<'JSON'
{"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1280, "height": 800,
              "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}
JSON
export XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/runtime HOME=$WORK/home
export QT_QPA_PLATFORM=offscreen:configfile=$WORK/screen.json
mkdir -p "$XDG_CONFIG_HOME" "$HOME" "$WORK/export"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$WORK"   # no Vantrel.ini here: the backup leaves nothing out

# A few backups to list, made without a logger.
sample() {  # sample NAME SEED PROFILES READINGS
  "$BIN/vantrel-make-sample-image" "$WORK/image-$2" --profiles "$3" --readings "$4" --sensors 6 --seed "$2" >/dev/null
  "$BIN/vantrel-pack-image" "$WORK/image-$2" "$WORK/samples/$1.vbk" >/dev/null
}
mkdir -p "$WORK/samples"
sample "Sample Site" 2026 4 48
sample "East Paddock" 7 2 120
sample "Trial Plot 3" 11 6 24
# Eight weekly visits of one site for the readings over several backups: readings shared by
# neighbouring backups, a lost fifth backup and a third that holds shared readings otherwise.
"$BIN/vantrel-make-site-history" "$WORK/history" --visits 8 --days 7 --profiles 2 --sensors 6 \
  --seed 2026 --overlap 6 --lost 5 --read-anew 3 >/dev/null
# The logger: a backup of it at 38400 baud takes about ten seconds.
"$BIN/vantrel-make-sample-image" "$WORK/logger" --profiles 3 --readings 30 --sensors 6 --seed 42 >/dev/null

settings() { "$BIN/vantrel" settings "$1" "$2" >/dev/null; }

start_logger() {  # start_logger LINK
  "$BIN/vantrel-logger-sim" --link "$1" --image "$WORK/logger" --baud 38400 --exit-after-idle 600 \
    > "$WORK/sim.out" 2>&1 &
  SIM_PID=$!
  for _ in $(seq 100); do
    grep -q '^ready ' "$WORK/sim.out" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "screenshots: the simulated logger did not start:" >&2
  cat "$WORK/sim.out" >&2
  exit 1
}

stop_logger() {
  kill "$SIM_PID" 2>/dev/null || true
  wait "$SIM_PID" 2>/dev/null || true
  SIM_PID=""
}

status=0
for scale in 1 2; do
  # Each scale starts from the same backups, so both sets show the same names.
  rm -rf "$WORK/backups"
  cp -r "$WORK/samples" "$WORK/backups"
  start_logger "$WORK/link"
  settings "Default Path" "$WORK/backups"
  settings "Export Path" "$WORK/export"
  settings Port "$WORK/link"
  settings "Baud Rate" 38400
  echo "== scale $scale: $OUT/scale$scale"
  if ! QT_SCALE_FACTOR=$scale "$BIN/vantrel-screenshots" "$OUT/scale$scale" --logger --name "North Paddock" \
       --history "$WORK/history"; then
    echo "screenshots: vantrel-screenshots failed at scale $scale" >&2
    status=1
  fi
  stop_logger
done

# Every picture the desktop program should give; a missing one names what broke.
expected="page-backup page-restore-export page-settings page-id-tags about help-backup
  during-backup after-backup-backup after-backup-restore-export after-backup-settings
  after-backup-id-tags id-tags-listed export-dialog readings readings-history find-logger during-restore"
for scale in 1 2; do
  for name in $expected; do
    if [[ ! -s $OUT/scale$scale/$name.png ]]; then
      echo "screenshots: scale$scale/$name.png is missing" >&2
      status=1
    fi
  done
done
echo "$(find "$OUT/scale1" "$OUT/scale2" -name '*.png' | wc -l) pictures in $OUT"
exit $status
