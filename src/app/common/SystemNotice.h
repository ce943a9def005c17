// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A text for screen readers handed to the platform's own announcement channel, where the
// toolkit offers none: on Windows, a UI Automation notification of the window (Narrator,
// NVDA and JAWS speak it without moving the focus). On Linux Qt's AT-SPI bridge carries the
// LiveNotice's own event, so there is nothing to add.

#include <QString>

class QWidget;

namespace vantrel::app {

// Raises `text` for `window`'s native window. Nothing on Linux, and nothing where the window
// has no native window (the offscreen platform) or Windows lacks the call (before Windows 10
// version 1709). GUI thread only.
void RaiseSystemNotice(QWidget* window, const QString& text);

}  // namespace vantrel::app
