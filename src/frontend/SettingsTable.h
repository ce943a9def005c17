// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every value of the settings store with its current value, and the checked writing of
// the values a user may change from the command line.

#include <string>
#include <vector>

#include "platform/Settings.h"

namespace vantrel {
class ISpecialFolders;
}

namespace vantrel {

struct SettingLine {
    std::string section;  // "Settings", "StartUp"
    std::string name;     // "Port"
    std::string value;    // the value in effect: the stored one, else the default
    bool isDefault = false;
    std::string note;  // what the value means, or why a stored one is not used
};

// The whole settings table, section by section.
std::vector<SettingLine> ReadSettingsTable(const ISettings& store, const ISpecialFolders& folders);

// "[Settings]" then "Port = COM1 (default)" lines.
std::string FormatSettingsTable(const std::vector<SettingLine>& lines);

struct SettingWritten {
    std::string name;     // the value's own name ("Baud Rate")
    std::string stored;   // the text written ("2")
    std::string warning;  // for the user, may be empty
};

// Writes one of "Port", "Baud Rate" (index 0-2 or rate 9600/19200/38400), "Default Path",
// "Export Path" (an existing folder; stored absolute); the name is matched without regard
// to letter case. Throws InputError for any other name or a value that does not fit,
// among them a text that is not UTF-8 (it could not be stored as given).
SettingWritten WriteSetting(ISettings& store, const std::string& key, const std::string& value);

}  // namespace vantrel
