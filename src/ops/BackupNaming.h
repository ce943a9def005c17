// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Naming a new backup: the default name, the ".vbk" extension and a name that does not
// replace an existing backup ("A.vbk" -> "A(1).vbk" -> "A(2).vbk").

#include <functional>
#include <string>
#include <string_view>

#include "data/DateTime.h"

namespace vantrel {

// "Vantrel Backup 06 Dec 2026.vbk" for `today`.
std::string DefaultBackupName(const DateTimeValue& today);

// The name with ".vbk" appended unless it already ends in ".vbk" in any letter case
// ("Field trip" -> "Field trip.vbk", "A.Vbk" stays, "A.vbk.txt" -> "A.vbk.txt.vbk").
std::string WithBackupExtension(std::string_view name);

// The folder and the file name joined with one separator; an empty folder gives the bare
// name (which resolves against the current directory).
std::string BackupPathIn(std::string_view folder, std::string_view fileName);

using FileExistsPredicate = std::function<bool(const std::string& path)>;

// `path` itself when nothing exists there; otherwise the first free "%s(%d).vbk" after
// it. A name already ending in "(k)", k a plain decimal number above 0, continues from k:
// "A(3).vbk" -> "A(4).vbk", while "A(03).vbk" -> "A(03)(1).vbk".
std::string UniqueBackupPath(const std::string& path, const FileExistsPredicate& exists);

// The file-name part of a path (what the page writes back into its name box): the text
// after the last separator, or the whole path when it has none or only a leading one.
std::string FileNamePart(std::string_view path);

struct BackupTarget {
    std::string path;  // where to write the backup
    std::string name;  // the file name to show in the page's name box
};

// Why `typedName` cannot name a new backup, or empty when it can: a name of nothing but
// blanks, one whose title is nothing but dots and blanks ("..vbk" would make a backup
// titled "." that no command could name again), or a file name the platform reserves
// (FileNameProblem: "NUL .vbk" on Windows). Any folder part is the caller's to refuse.
std::string BackupNameProblem(std::string_view typedName);

// Why a backup named `fileName` cannot be written into `folder` (empty: the current
// directory), or empty when it can: the folder is missing, is not a folder or cannot be
// written, or the name is too long for the file system. Checked before connecting, so a
// download is never made in vain. Creates nothing.
std::string BackupFolderProblem(const std::string& folder, std::string_view fileName);

// The page's rules together: extension, folder, unique name.
BackupTarget ResolveBackupTarget(std::string_view folder, std::string_view typedName,
                                 const FileExistsPredicate& exists);

}  // namespace vantrel
