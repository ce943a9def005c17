// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-screenshots: saves pictures of the desktop program as a user would see them, for
// review and documentation, by driving its widgets through their object names.
//
//     vantrel-screenshots OUTPUT_FOLDER [--logger] [--name BACKUP_NAME] [--history FOLDER]
//     vantrel-screenshots --backup-only BACKUP_NAME
//
// Pictures: each page (page-*.png), the About box, the help window and the export dialog
// listing a backup's profiles. With --logger (a logger answers on the stored "Port"): the
// Backup page half way through a backup (during-backup.png), every page after it
// (after-backup-*.png) and the ID Tags page after listing the logger's files. With
// --history, the readings window over the backups of that folder together
// (readings-history.png). Every message box that appears is answered (Cancel, No or OK) and
// kept as message-N.png.
//
// --backup-only runs one backup through the Backup page and prints its wall and CPU time
// (bench/gui_backup_cpu.sh). Settings come from the user's store: point XDG_CONFIG_HOME at
// a folder of its own (scripts/screenshots.sh). Run with QT_SCALE_FACTOR=2 for the
// high-density pictures. Parts of the program not built yet are skipped with a note.

#include <sys/resource.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QMessageBox>
#include <cstdio>
#include <optional>

#include "app/common/Strings.h"
#include "app/frame/Application.h"
#include "app/frame/MainSheet.h"
#include "app/help/ContextHelp.h"
#include "app/pages/HelpPage.h"
#include "platform/qt/QtSettings.h"
#include "platform/qt/QtSpecialFolders.h"
#include "screenshots/ScreenDriver.h"
#include "screenshots/ScreenshotFlow.h"

using namespace std::chrono_literals;
using namespace vantrel;
using namespace vantrel::app;
using namespace vantrel::shots;

namespace {

constexpr const char* kUsage =
    "usage: vantrel-screenshots OUTPUT_FOLDER [--logger] [--name BACKUP_NAME] [--history FOLDER]\n"
    "       vantrel-screenshots --backup-only BACKUP_NAME\n";

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

struct CpuTimes {
    double user = 0;
    double system = 0;
};

CpuTimes ProcessCpu() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return {Seconds(usage.ru_utime), Seconds(usage.ru_stime)};
}

int BackupOnly(CMainSheet& sheet, const QString& name) {
    const std::optional<BackupControls> controls = FindBackupControls(sheet);
    if (!controls) return 1;
    const CpuTimes before = ProcessCpu();
    QElapsedTimer wall;
    wall.start();
    const bool ok = RunBackup(sheet, *controls, name, {});
    const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const CpuTimes after = ProcessCpu();
    std::printf("backup-only: %s wall %.3f s, cpu user %.3f s, sys %.3f s\n", ok ? "ok" : "failed",
                seconds, after.user - before.user, after.system - before.system);
    return ok ? 0 : 1;
}

QtMessageHandler standardMessages = nullptr;

// The offscreen platform's complaints about window-manager hints are noise here.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith("This plugin does not support")) return;
    if (standardMessages != nullptr) {
        standardMessages(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

}  // namespace

int main(int argc, char** argv) {
    standardMessages = qInstallMessageHandler(QuietMessages);
    QApplication application(argc, argv);
    // As the program itself names itself (window titles, icon).
    QApplication::setApplicationName("vantrel-utilities");
    QApplication::setApplicationDisplayName(strings::kProgramTitle);
    QApplication::setWindowIcon(ProgramIcon());

    QString output;
    QString backupOnly;
    QString backupName = "North Paddock";
    QString history;
    bool withLogger = false;
    const QStringList args = QApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == "--logger") {
            withLogger = true;
        } else if ((arg == "--name" || arg == "--backup-only") && i + 1 < args.size()) {
            (arg == "--name" ? backupName : backupOnly) = args[++i];
        } else if (arg == "--history" && i + 1 < args.size()) {
            history = args[++i];
        } else if (!arg.startsWith("--") && output.isEmpty()) {
            output = arg;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (output.isEmpty() == backupOnly.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    QtSettings store;
    QtSpecialFolders folders;
    CVantrelToolsApp program(store, folders);
    // With the ID Tags page, as on a computer where the companion program is installed.
    program.InitInstance(QApplication::applicationFilePath().toStdString(),
                         /*companionInstalled=*/true);
    CMainSheet& sheet = *program.MainSheet();
    WaitUntil([&] { return sheet.isVisible(); }, 5s);

    if (!backupOnly.isEmpty()) {
        MessageBoxAnswerer answerer;
        const int status = BackupOnly(sheet, backupOnly);
        for (const QString& text : answerer.Texts()) Note("message box: " + text);
        return status;
    }

    QDir folder(output);
    if (!folder.mkpath(".")) {
        std::fprintf(stderr, "vantrel-screenshots: cannot create %s\n", qPrintable(output));
        return 1;
    }
    Camera camera(folder);
    int boxes = 0;
    MessageBoxAnswerer answerer;
    answerer.SetOnBox([&](QMessageBox* box) {
        Note("message box: " + box->text());
        camera.Save(box, QString("message-%1").arg(++boxes));
    });

    ShootPages(sheet, camera, "page-");

    // The About box and the help window as the Help button's commands open them.
    {
        ActWhen shoot(
            [] {
                auto* about = FindWidget<QDialog>("aboutDialog");
                return about != nullptr && about->isVisible();
            },
            [&] {
                auto* about = FindWidget<QDialog>("aboutDialog");
                camera.Save(about, "about");
                about->accept();
            });
        sheet.ShowAbout();
    }
    sheet.ShowHelp(sheet.Pages().front()->PageId());
    if (auto* help = FindWidget<QWidget>("helpWindow")) {
        camera.Save(help, "help-backup");
        help->close();
    }

    QString exportTitle;
    if (withLogger) {
        if (const std::optional<BackupControls> controls = FindBackupControls(sheet)) {
            if (RunBackup(sheet, *controls, backupName,
                          [&] { camera.Save(&sheet, "during-backup"); })) {
                // The page may have added ".vbk" or a number to the name.
                exportTitle = QFileInfo(controls->name->text()).completeBaseName();
            }
            ShootPages(sheet, camera, "after-backup-");
        }
        ShootIdTagsListing(sheet, camera);
        // The restore asks before it erases the logger: OK.
        answerer.SetAnswer(QMessageBox::Ok);
        ShootDuringRestore(sheet, camera, exportTitle);
        answerer.SetAnswer(QMessageBox::NoButton);
    } else {
        Note("no --logger: no pictures during or after a backup");
    }
    ShootExportDialog(sheet, camera, exportTitle);
    ShootReadings(sheet, camera);
    // The series of the daily profile: a few weeks of readings drawn point by point.
    if (!history.isEmpty()) ShootReadingsHistory(sheet, camera, history, 1);
    ShootFindLogger(sheet, camera);
    sheet.SetActivePage(sheet.Pages().front());
    return camera.ok() ? 0 : 1;
}
