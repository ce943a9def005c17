// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/BackupChoice.h"

#include "base/PathText.h"
#include "ops/BackupFolder.h"

namespace vantrel {

std::optional<std::string> FindBackupTitle(const std::filesystem::path& folder,
                                           const std::string& name) {
    if (name.empty() || LastPathSeparator(name) != std::string::npos) return std::nullopt;
    if (BackupFileOf(folder, name)) return name;
    if (IsBackupFileName(name)) {
        const std::string title = BackupTitleOf(name);
        if (BackupFileOf(folder, title)) return title;
    }
    return std::nullopt;
}

std::filesystem::path ChooseBackupFile(const std::filesystem::path& folder,
                                       const std::string& argument) {
    if (const auto title = FindBackupTitle(folder, argument)) {
        if (const auto file = BackupFileOf(folder, *title)) return *file;
    }
    return argument;
}

std::string TitleFromTyped(const std::string& typed) {
    return IsBackupFileName(typed) ? BackupTitleOf(typed) : typed;
}

}  // namespace vantrel
