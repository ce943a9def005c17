// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's own menu (the system menu that Windows opens from the title bar's icon or
// with Alt+Space). Windows programs keep their About command there; on Linux the window
// manager owns that menu, so nothing can be added and the caller keeps the command
// elsewhere (the Help button's menu).

#include <QString>
#include <functional>

class QWidget;

namespace vantrel::app {

// Appends a separator and `text` to `window`'s system menu; choosing it calls `onChosen`
// on the GUI thread. False where the window has no such menu: on Linux, and on Windows
// under a platform without native windows (the offscreen platform of the tests). The
// command lives as long as `window`. Call once per window, on the GUI thread.
bool AddToWindowMenu(QWidget* window, const QString& text, std::function<void()> onChosen);

// Keeps `window` at the size it was given (FitToScreen; its pages scroll where the screen is
// small): on Windows its frame has no sizing border and no Maximize button, and its system
// menu neither Size, Maximize nor Restore. Elsewhere the window manager decides. Call once,
// before the window is first shown, on the GUI thread.
void KeepGivenSize(QWidget* window);

}  // namespace vantrel::app
