// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/BackupLoading.h"

#include <system_error>

#include "base/FileSystem.h"
#include "base/PathText.h"
#include "ops/BackupFolder.h"

namespace vantrel {

LoadedBackup LoadBackup(const std::filesystem::path& path) {
    LoadedBackup result;
    try {
        std::error_code ec;
        if (KindOfFile(path, ec) == FileKind::Folder) {
            result.error = kCouldNotOpenBackupText;
            return result;
        }
        result.archive = CVantrelArchive::LoadFromFile(path);
    } catch (const std::system_error&) {
        result.error = kCouldNotOpenBackupText;
    } catch (const ArchiveError& error) {
        result.error = kBadBackupDataText;
        // A file too large to be a backup was not read at all: say so.
        if (error.kind() == ArchiveError::Kind::TooLarge) {
            result.error += "\nThe file is larger than any backup can be.";
        }
    } catch (const std::exception&) {
        // ArchiveError, and any other failure to decode the stored data.
        result.error = kBadBackupDataText;
    }
    return result;
}

LoadedHistory LoadSiteHistory(std::span<const std::filesystem::path> files) {
    std::vector<HistoryBackup> backups;
    backups.reserve(files.size());
    for (const std::filesystem::path& file : files) {
        LoadedBackup loaded = LoadBackup(file);
        if (!loaded.archive) return {std::nullopt, std::move(loaded.error), file};
        backups.push_back(
            {BackupTitleOf(Utf8FromPath(file.filename())), std::move(*loaded.archive), file});
    }
    return {SiteHistory(std::move(backups)), {}, {}};
}

}  // namespace vantrel
