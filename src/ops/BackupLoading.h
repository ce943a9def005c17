// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Loading a backup chosen by the user, with the message to show when that fails.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "data/VantrelArchive.h"
#include "ops/SiteHistory.h"

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

struct LoadedHistory {
    std::optional<SiteHistory> history;  // empty when a backup failed to load
    std::string error;                   // then LoadBackup's message for it
    std::filesystem::path failed;        // and the file it failed on
};

// Loads every file, one after the other, each titled by its file's title (its name without
// the extension), and merges them into a site's history. Stops at the first file that fails
// to load: a history is never built from fewer backups than the user chose.
LoadedHistory LoadSiteHistory(std::span<const std::filesystem::path> files);

}  // namespace vantrel
