#!/usr/bin/env bash
# make demo: a sample logger image, packed into a backup, shown with `vantrel info` and
# exported with `vantrel export`. Everything goes to ./demo/ under the repository.
set -euo pipefail

BIN_DIR=$(cd "${1:?usage: scripts/demo.sh BIN_DIR}" && pwd)
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEMO="$ROOT/demo"

for tool in vantrel vantrel-make-sample-image vantrel-pack-image; do
  [ -x "$BIN_DIR/$tool" ] || { echo "demo: $BIN_DIR/$tool is missing; run 'make build' first" >&2; exit 1; }
done

rm -rf "$DEMO/image" "$DEMO/export"
mkdir -p "$DEMO/backups" "$DEMO/export"
BACKUP="$DEMO/backups/Sample Site.vbk"

step() { printf '\n== %s\n' "$*"; }

step "Sample logger image"
"$BIN_DIR/vantrel-make-sample-image" "$DEMO/image" --profiles 4 --readings 72 --sensors 6 --seed 2026

step "Backup made from the image"
# Run where no Vantrel.ini of the user can leave files out.
(cd "$DEMO" && "$BIN_DIR/vantrel-pack-image" "$DEMO/image" "$BACKUP")

step "vantrel info"
"$BIN_DIR/vantrel" info "$BACKUP"

step "vantrel export (calibrated moisture readings)"
"$BIN_DIR/vantrel" export "$BACKUP" --out "$DEMO/export/Sample Site"

step "vantrel export again (nothing new to add)"
"$BIN_DIR/vantrel" export "$BACKUP" --out "$DEMO/export/Sample Site.csv"

step "Where everything went"
echo "  logger image: $DEMO/image"
echo "  backup:       $BACKUP"
echo "  CSV files:    $DEMO/export"
ls -1 "$DEMO/export" | sed 's/^/                  /'
