// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/common/WindowFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vantrel::app {
namespace {

// Room for a title bar and borders, which the window manager adds outside the window.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 40;

}  // namespace

QSize AvailableRoom(const QWidget* window) {
    const QScreen* screen = window->screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    const QSize area = screen->availableGeometry().size();
    return {std::max(1, area.width() - kFrameWidth), std::max(1, area.height() - kFrameHeight)};
}

void FitToScreen(QWidget* window, QSize wanted) {
    const QSize room = AvailableRoom(window);
    window->resize(room.isEmpty() ? wanted : wanted.boundedTo(room));
}

}  // namespace vantrel::app
