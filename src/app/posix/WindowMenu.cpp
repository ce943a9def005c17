// SPDX-License-Identifier: GPL-3.0-or-later
// Linux and other POSIX desktops: the window manager draws the window menu itself.
#include "app/frame/WindowMenu.h"

namespace vantrel::app {

bool AddToWindowMenu(QWidget*, const QString&, std::function<void()>) {
    return false;
}

void KeepGivenSize(QWidget*) {}

}  // namespace vantrel::app
