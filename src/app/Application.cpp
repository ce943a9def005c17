// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QSettings>
#include <cstdio>

#include "app/MainSheet.h"
#include "app/Strings.h"
#include "frontend/VersionText.h"
#include "ops/AppSettings.h"
#include "platform/qt/QtSettings.h"
#include "platform/qt/QtSpecialFolders.h"

namespace vantrel::app {

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
                                    bool companionInstalled) {
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
    // up the logger for a reason that has nothing to do with it.
    sheet_->SaveSettings();
    return true;
}

void NameApplication() {
    QApplication::setApplicationName("vantrel-utilities");
    QApplication::setApplicationDisplayName(strings::kProgramTitle);
    QApplication::setApplicationVersion(QString::fromUtf8(ProgramVersion()));
    QApplication::setDesktopFileName("vantrel-utilities");
    QApplication::setWindowIcon(QIcon(":/icons/vantrel-utilities.svg"));
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
    if (!program.InitInstance(QApplication::applicationFilePath().toStdString(),
                              CVantrelToolsApp::CompanionInstalled())) {
        return 1;
    }
    const int status = QApplication::exec();
    store.Sync();
    return status;
}

}  // namespace vantrel::app
