// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings store on QSettings: the organisation "Ortvel", the application
// "VantrelUtilities" (the registry key on Windows, an INI file under the user's config
// folder on Linux), with the store's sections as QSettings groups.

#include <QSettings>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Settings.h"

namespace vantrel {

class QtSettings final : public ISettings {
public:
    // The user's store of the program.
    QtSettings();
    // A store in the INI file at `iniFile` (tests, portable installs).
    explicit QtSettings(const QString& iniFile);

    // A missing value, or one that is not a number, reads as `fallback`.
    int GetInt(std::string_view section, std::string_view name, int fallback) const override;
    bool WriteInt(std::string_view section, std::string_view name, int value) override;
    std::string GetString(std::string_view section, std::string_view name,
                          std::string_view fallback) const override;
    bool WriteString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    bool RemoveSection(std::string_view section) override;

    // Writes pending changes to storage; false when that failed.
    bool Sync() override;

private:
    bool Written();

    std::unique_ptr<QSettings> store_;
};

}  // namespace vantrel
