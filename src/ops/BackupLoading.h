// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Loading a backup chosen by the user, with the message to show when that fails.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "data/VantrelArchive.h"

namespace vantrel {

inline constexpr std::string_view kCouldNotOpenBackupText = "Could not open backup for loading";
inline constexpr std::string_view kBadBackupDataText =
    "Could not open backup. Exception thrown in stored data";

struct LoadedBackup {
    std::optional<CVantrelArchive> archive;  // empty when loading failed
    std::string error;                       // then one of the two texts above
};

// A file that cannot be opened or read gives kCouldNotOpenBackupText; contents that are not
// a backup (truncated, bad class, bad index, or anything else that fails to decode) give
// kBadBackupDataText.
LoadedBackup LoadBackup(const std::filesystem::path& path);

}  // namespace vantrel
