// SPDX-License-Identifier: GPL-3.0-or-later
// gui_start_sheet: the desktop program's start-up as vantrel-utilities runs it (the
// application set up, the start-up recorded, the main sheet built and shown by
// CVantrelToolsApp::InitInstance), ended at the sheet's first paint for
// bench/gui_startup.sh, which compares it with gui_plain_window.

#include <QApplication>
#include <QIcon>

#include "app/common/Strings.h"
#include "app/frame/Application.h"
#include "app/frame/MainSheet.h"
#include "frontend/VersionText.h"
#include "gui_first_paint.h"
#include "platform/qt/QtSettings.h"
#include "platform/qt/QtSpecialFolders.h"

using namespace vantrel;
using namespace vantrel::app;

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    NameApplication();

    QtSettings store;
    QtSpecialFolders folders;
    CVantrelToolsApp program(store, folders);
    if (!program.InitInstance(QApplication::applicationFilePath().toStdString(),
                              CVantrelToolsApp::CompanionInstalled())) {
        return 1;
    }
    ExitAtFirstPaint exit(program.MainSheet());
    const int status = QApplication::exec();
    store.Sync();
    return status;
}
