// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CVantrelToolsApp: the desktop program's start-up. It records the start in the settings
// store ("Home Directory", "CommsTimeOut", "CommsAttempts"), creates the main sheet with
// the ID Tags page when the companion program's settings exist, and shows it, minimised
// when both StartUp values say so.

#include <QString>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/Settings.h"
#include "platform/SpecialFolders.h"

namespace vantrel::app {

class CMainSheet;

class CVantrelToolsApp {
public:
    // `store` and `folders` outlive the application object.
    CVantrelToolsApp(ISettings& store, const ISpecialFolders& folders);
    ~CVantrelToolsApp();

    // Start-up; true when the program is to run its event loop. `settingsNotice`: what to
    // say once about a settings file left as it is (QtSettings::LeftAsItIsNotice()).
    bool InitInstance(const std::filesystem::path& programFile, bool companionInstalled,
                      const std::string& settingsNotice = {});
    CMainSheet* MainSheet() const { return sheet_.get(); }

    // True when the companion program's settings ("Ortvel", "Rhizomap") hold any value.
    static bool CompanionInstalled();

private:
    ISettings& store_;
    const ISpecialFolders& folders_;
    std::unique_ptr<CMainSheet> sheet_;
};

// Gives the running QApplication the program's name, version, desktop entry and icon.
void NameApplication();

// The whole program: QApplication, settings, start-up and the event loop.
int RunDesktopProgram(int argc, char** argv);

}  // namespace vantrel::app
