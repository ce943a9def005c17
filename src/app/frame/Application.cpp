// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frame/Application.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QSessionManager>
#include <QSettings>
#include <QTimer>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "app/common/ListCtrlEx.h"
#include "app/common/Strings.h"
#include "app/frame/MainSheet.h"
#include "app/frame/TerminationWatcher.h"
#include "app/help/ContextHelp.h"
#include "app/pages/BackupPage.h"
#include "app/pages/RestoreExportPage.h"
#include "base/PathText.h"
#include "frontend/VersionText.h"
#include "ops/AppSettings.h"
#include "platform/qt/QtSettings.h"
#include "platform/qt/QtSpecialFolders.h"

namespace vantrel::app {
namespace {

// The tests that end the program during an operation start it as its button would, with
// no pointer on the screen: VANTREL_UTILITIES_START names the operation ("backup",
// "restore" or "export" of the first backup listed). The boxes it asks stay for the test
// to answer. "close" ends the program as its Close button does, once the window is up: an
// installed program started where nobody can click shows that it starts and ends cleanly.
void StartOperationForTests(CMainSheet& sheet, const QString& operation) {
    // After a box shown at the start (a cut-off restore's notice) has been answered.
    if (QApplication::activeModalWidget() != nullptr) {
        QTimer::singleShot(100, &sheet,
                           [&sheet, operation] { StartOperationForTests(sheet, operation); });
        return;
    }
    if (operation == "backup") {
        sheet.BackupPage()->OnBackup();
        return;
    }
    if (operation == "close") {
        sheet.EndOnRequest(0);
        return;
    }
    if (operation != "restore" && operation != "export") return;
    CRestoreExportPage* page = sheet.RestoreExportPage();
    if (!sheet.SetActivePage(page)) return;
    auto* list = page->findChild<CListCtrlEx*>("backupList");
    if (list == nullptr || list->topLevelItemCount() == 0) return;
    list->setCurrentItem(list->topLevelItem(0));
    if (operation == "restore") {
        page->OnRestore();
    } else {
        page->OnExport();
    }
}

}  // namespace

CVantrelToolsApp::CVantrelToolsApp(ISettings& store, const ISpecialFolders& folders)
    : store_(store), folders_(folders) {}

CVantrelToolsApp::~CVantrelToolsApp() = default;

bool CVantrelToolsApp::CompanionInstalled() {
    // Its settings are read only when they are files that can be read without hanging.
    const QString file = UserSettingsFile("Ortvel", "Rhizomap");
    if (!SettingsFileRefusal(file).empty() ||
        (!file.isEmpty() && !SettingsFileRefusal(QFileInfo(file).path() + ".conf").empty())) {
        return false;
    }
    return !QSettings("Ortvel", "Rhizomap").allKeys().isEmpty();
}

bool CVantrelToolsApp::InitInstance(const std::filesystem::path& programFile,
                                    bool companionInstalled, const std::string& settingsNotice) {
    const CommsValues comms = RecordStartUp(store_, programFile);
    sheet_ =
        std::make_unique<CMainSheet>(CMainSheet::Environment{store_, folders_, companionInstalled});
    sheet_->SetCommsValues(comms);
    if (StartsMinimised(store_)) {
        sheet_->showMinimized();
    } else {
        sheet_->show();
    }
    // A settings file that was refused (a named pipe, a device, a folder, or unreadable) or
    // cannot be written is said once, over the sheet. The program goes on with the values
    // it has: the defaults for a refused file. Quitting would keep the user from backing
    // up the logger for a reason that has nothing to do with it. A file left as it is is
    // said in the command-line tool's words; the start-up values wait for it to be mended.
    if (settingsNotice.empty()) {
        sheet_->SaveSettings();
    } else {
        std::string text = settingsNotice + ".";
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        sheet_->Prompt().Show(text, {}, PromptButtons::OK, PromptIcon::Exclamation);
    }
    return true;
}

void NameApplication() {
    QApplication::setApplicationName("vantrel-utilities");
    QApplication::setApplicationDisplayName(strings::kProgramTitle);
    QApplication::setApplicationVersion(QString::fromUtf8(ProgramVersion()));
    QApplication::setDesktopFileName("vantrel-utilities");
    QApplication::setWindowIcon(ProgramIcon());
}

int RunDesktopProgram(int argc, char** argv) {
    QApplication application(argc, argv);
    NameApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Backs up, restores and exports the data of the Vantrel soil-moisture logger.");
    parser.addHelpOption();
    const QCommandLineOption version({"v", "version"},
                                     "Show the program, Qt and platform versions.");
    parser.addOption(version);
    parser.process(application);
    if (parser.isSet(version)) {
        std::printf("%s\n", VersionText("vantrel-utilities").c_str());
        return 0;
    }

    QtSettings store;
    QtSpecialFolders folders;
    CVantrelToolsApp program(store, folders);
    // Qt gives the path with '/'; the settings keep it as the platform writes it.
    const QString programFile = QDir::toNativeSeparators(QApplication::applicationFilePath());
    if (!program.InitInstance(PathFromUtf8(programFile.toStdString()),
                              CVantrelToolsApp::CompanionInstalled(), store.LeftAsItIsNotice())) {
        return 1;
    }
    CMainSheet* sheet = program.MainSheet();
    QObject::connect(sheet, &CMainSheet::ended, &application,
                     [](int status) { QCoreApplication::exit(status); });
    // SIGTERM, SIGHUP and SIGINT (on Windows a close from outside, as SIGTERM): the status
    // tells which, as the command-line tool's does. Windows ends the process as soon as the
    // end of the session has been told (WM_ENDSESSION): an operation suspended in its wait
    // is wound down then, as at exit(), and never resumed.
    const TerminationWatcher watcher([sheet](int signal) { sheet->EndOnRequest(128 + signal); },
                                     [sheet] {
                                         if (!sheet->IsOperationRunning()) return;
                                         sheet->EndAtProcessExit();  // its record saved
                                         std::_Exit(0);
                                     });
    // The end of the session: the session manager asks for the data first, then the
    // program ends. Nothing is to be restarted into a half-done operation.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, sheet,
                     [sheet](QSessionManager& manager) {
                         manager.setRestartHint(QSessionManager::RestartNever);
                         sheet->EndOnRequest(0);
                     });
    QObject::connect(&application, &QCoreApplication::aboutToQuit, sheet, [sheet, &store] {
        sheet->EndOnRequest(0);
        store.Sync();
    });
    if (const QString operation = qEnvironmentVariable("VANTREL_UTILITIES_START");
        !operation.isEmpty()) {
        QTimer::singleShot(0, sheet,
                           [sheet, operation] { StartOperationForTests(*sheet, operation); });
    }
    const int status = QApplication::exec();
    store.Sync();
    return status;
}

}  // namespace vantrel::app
