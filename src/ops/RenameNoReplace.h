// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Renaming a file without ever replacing one: POSIX rename() silently overwrites its
// target, which would destroy a backup.

#include <filesystem>
#include <system_error>

namespace vantrel {

// Renames `from` to `to` when nothing exists at `to`; fails with EEXIST otherwise. Uses
// renameat2(RENAME_NOREPLACE), or link + unlink where the file system lacks it.
std::error_code RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace vantrel
