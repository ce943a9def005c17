// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The size a top-level window opens at: the size it would like, clamped to the available
// area of its screen (the screen less task bars and panels, room kept for the frame), so
// that small screens and high scale factors never put its buttons out of reach. Each
// window's layout keeps its minimum within that area on the smallest screens we support
// (1024x768, and 1280x800 at scale 2). GUI thread only.

#include <QSize>

class QWidget;

namespace vantrel::app {

// The available area of the screen `window` is on (or will be shown on), less room for the
// window manager's frame.
QSize AvailableRoom(const QWidget* window);

// Resizes `window` to `wanted` bounded by AvailableRoom.
void FitToScreen(QWidget* window, QSize wanted);

}  // namespace vantrel::app
