// SPDX-License-Identifier: GPL-3.0-or-later
// chart_window BACKUP.vbk PROFILE [--shot FILE.png]
// Opens the desktop program's readings window on one profile of a backup, as the backup
// list's "View Readings..." does, and ends at the first paint of its chart. Prints
// "opened <ms>": from the start of loading the backup to that paint (bench/chart_timing.sh
// compares it with `vantrel export` of the same profile). With --shot it saves what the
// window shows (at the device pixel ratio: QT_SCALE_FACTOR=2 gives twice the pixels).

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "app/frame/MainSheet.h"
#include "app/readings/ReadingsWindow.h"
#include "frontend/ProfileSelection.h"
#include "ops/BackupLoading.h"
#include "platform/FixedSpecialFolders.h"
#include "platform/MemorySettings.h"

#include "gui_first_paint.h"

using namespace vantrel;
using namespace vantrel::app;

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fputs("Usage: chart_window BACKUP.vbk PROFILE [--shot FILE.png]\n", stderr);
        return 2;
    }
    QString shot;
    if (argc >= 5 && std::strcmp(argv[3], "--shot") == 0) shot = QString::fromLocal8Bit(argv[4]);
    MemorySettings settings;
    FixedSpecialFolders folders;
    CMainSheet sheet(CMainSheet::Environment{settings, folders});

    QElapsedTimer timer;
    timer.start();
    LoadedBackup loaded = LoadBackup(argv[1]);
    if (!loaded.archive) {
        std::fprintf(stderr, "chart_window: %s\n", loaded.error.c_str());
        return 1;
    }
    const int index = SelectProfiles(*loaded.archive, std::string(argv[2])).front();
    CReadingsWindow* window = CReadingsWindow::ShowForBackup(
        sheet, &sheet, *loaded.archive,
        QFileInfo(QString::fromLocal8Bit(argv[1])).completeBaseName(), index);
    // The chart's first paint; a profile with nothing to draw paints the window only.
    QWidget* painted =
        window->Series().IsEmpty() ? static_cast<QWidget*>(window) : window->ChartView();
    AtFirstPaint done(painted, [&] {
        std::printf("opened %.3f\n", static_cast<double>(timer.nsecsElapsed()) / 1e6);
        std::fflush(stdout);
        if (!shot.isEmpty() && !window->grab().save(shot, "PNG")) {
            std::fprintf(stderr, "chart_window: could not save %s\n", qPrintable(shot));
            QApplication::exit(1);
            return;
        }
        QApplication::exit(0);
    });
    QTimer::singleShot(30000, [] {
        std::fputs("chart_window: no paint within 30 s\n", stderr);
        QApplication::exit(1);
    });
    return QApplication::exec();
}
