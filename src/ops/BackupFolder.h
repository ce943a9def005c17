// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The backups in the backup folder: the list the Restore / Export page shows, and
// renaming and deleting a backup. A backup is a file whose extension is ".vbk" in any
// letter case; its title (the name without that extension) is what the list shows and
// what the rename and delete operations are given.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/DateTime.h"
#include "ops/BackupNaming.h"

namespace vantrel {

class IPrompt;

inline constexpr std::string_view kCouldNotRenameText = "Could not rename file";
inline constexpr std::string_view kDeleteBackupQuestion =
    "Are you sure you want to delete this backup ?";
inline constexpr std::string_view kDeleteBackupCaption = "Delete Vantrel Backup";
inline constexpr std::string_view kSelectBackupToRestore =
    "Please select an backup file to restore";
inline constexpr std::string_view kSelectBackupToDelete = "Please select an backup file to delete";
inline constexpr std::string_view kSelectBackupToExport = "Please select an backup file to export";

struct BackupRow {
    std::string title;  // "Site 3" for Site 3.VBK
    DateTimeValue dateFrom;
    DateTimeValue dateTo;
    int profileCount = 0;
    DateTimeValue backupDate;
    std::filesystem::path file;  // the real file, whatever the case of its extension
    bool loadable = true;        // false: a backup file that could not be loaded (no dates)
};

struct UnreadableBackup {
    enum class Reason { CannotOpen, BadData };
    std::string title;
    std::filesystem::path file;
    Reason reason = Reason::BadData;
    // "Could not open %s backup file for loading" for CannotOpen; empty for BadData, which
    // the page passes over in silence.
    std::string message;
};

using UnreadableBackupHandler = std::function<void(const UnreadableBackup&)>;

// True for a file name ending in ".vbk" in any letter case, with a title before it.
bool IsBackupFileName(std::string_view fileName);
// The file name without its last extension ("a.b.VBK" -> "a.b"); the whole file name when
// that would leave no usable title ("..vbk" stays "..vbk", not ".").
std::string BackupTitleOf(std::string_view fileName);

// "Could not open <title> backup file for loading".
std::string CouldNotOpenBackupFileText(std::string_view title);

// What becomes of a backup file that cannot be loaded in a list.
enum class UnreadableRows {
    Leave,  // no row
    Keep,   // a row with its title only (loadable false), so that a user picking it is told
};

// Every readable backup of `folder` (an empty folder text: the current directory), in
// ascending order of title. Backups that cannot be opened or hold bad data are reported to
// `onUnreadable` (when given) and get a row as `unreadable` says. A missing folder gives an
// empty list.
std::vector<BackupRow> ListBackups(const std::filesystem::path& folder,
                                   const UnreadableBackupHandler& onUnreadable = {},
                                   UnreadableRows unreadable = UnreadableRows::Leave);

// The file of the backup called `title` in `folder`, whatever the case of its extension
// (".vbk" first, then ".VBK", then any other mix); nothing when there is none.
std::optional<std::filesystem::path> BackupFileOf(const std::filesystem::path& folder,
                                                  std::string_view title);

// True when a file exists at `path`, or, for a backup file name, when a backup with the
// same title exists under any letter case of the extension (so two rows never share a
// title). Used to pick a free name for a new backup.
bool BackupPathTaken(const std::string& path);

// One read of `folder` standing in for BackupPathTaken for names in that folder (only the
// file-name part of a path is looked at): choosing a free name among thousands of
// numbered backups then costs one read of the folder, not one per candidate.
FileExistsPredicate TakenNamesIn(const std::filesystem::path& folder);

// Why a backup cannot be titled `title` on this platform (its file name is reserved, see
// FileNameProblem), or empty when it can.
std::string BackupTitleProblem(std::string_view title);

// Renames the backup `oldTitle` to `newTitle`, keeping its extension. Never replaces an
// existing backup; a title that is empty, holds a path separator or names an existing
// backup is refused. On failure shows "Could not rename file" (or, for a title the platform
// reserves, BackupTitleProblem) and returns false.
bool RenameBackup(const std::filesystem::path& folder, std::string_view oldTitle,
                  std::string_view newTitle, IPrompt& prompt);

// Asks "Are you sure you want to delete this backup ?" and, on Yes, deletes the backup
// `title`. Returns true when the user said Yes (the caller then lists the folder again).
bool DeleteBackup(const std::filesystem::path& folder, std::string_view title, IPrompt& prompt);

}  // namespace vantrel
