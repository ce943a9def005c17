// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Renaming and deleting exactly the backup file a row of the Restore / Export page was read
// from. The shared operations find a backup by its title; where two files share a title
// (their extensions differ in letter case), the title would reach the other one, so the row's
// file is then renamed or deleted by its path, under the same rules and with the same texts.

#include <filesystem>
#include <string>

#include "platform/Prompt.h"

namespace vantrel::app {

// Renames exactly `file` (title `oldTitle`) to `newTitle`; false after a message.
bool RenameBackupFile(const std::filesystem::path& file, const std::string& oldTitle,
                      const std::string& newTitle, IPrompt& prompt);
// Deletes exactly `file` after asking; true when the user said Yes.
bool DeleteBackupFile(const std::filesystem::path& file, const std::string& title, IPrompt& prompt);

}  // namespace vantrel::app
