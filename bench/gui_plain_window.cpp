// SPDX-License-Identifier: GPL-3.0-or-later
// gui_plain_window: the start-up yardstick for bench/gui_startup.sh. Shows an empty
// QWidget (with --text: a QLabel with one line of text, so Qt's fonts are loaded as for
// any window with words in it), prints the wall-clock time of its first paint ("shown
// <seconds since the epoch>") and exits.

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstring>
#include <memory>

#include "gui_first_paint.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const bool withText = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    std::unique_ptr<QWidget> window =
        withText ? std::make_unique<QLabel>("Vantrel Utilities") : std::make_unique<QWidget>();
    window->resize(640, 480);
    ExitAtFirstPaint exit(window.get());
    window->show();
    return QApplication::exec();
}
