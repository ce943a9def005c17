#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the GUI tests named "Xcb..." (the accessibility texts and their announcements, F1)
# on an X server of their own (Xvfb) through the xcb platform and Qt's AT-SPI bridge, which
# the offscreen platform lacks.
#
#     xcb_tests.sh TEST_BINARY
set -euo pipefail

BINARY=${1:?usage: xcb_tests.sh TEST_BINARY}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-xcb-tests.XXXXXX")
XVFB_PID=""
cleanup() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

# The first free display from :131 up (gui_smoke.sh takes :90 to :130).
source "$(dirname "${BASH_SOURCE[0]}")/../support/start_xvfb.sh"
start_xvfb 131 170 1280x800 "$WORK/xvfb.log" || { echo "xcb-tests: could not start Xvfb" >&2; exit 1; }

# A session bus of its own, on which the accessibility bus is started (asking for its address
# starts it, as a screen reader's session does) before the tests; Qt's AT-SPI bridge connects
# to it and is switched on without a screen reader.
mkdir -m 700 "$WORK/runtime"
DISPLAY=":$DISPLAY_NUMBER" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$WORK/runtime" \
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
  dbus-run-session -- bash -c 'dbus-send --session --print-reply --dest=org.a11y.Bus \
    /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null && exec "$0" --gtest_filter="*.Xcb*"' \
  "$BINARY"
