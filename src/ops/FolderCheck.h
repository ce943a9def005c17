// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether files can be written into a folder, asked before work whose result must go
// there (a download, an export), so the work is never done in vain.

#include <string>
#include <string_view>

namespace vantrel {

// Why nothing can be written into `folder` (empty: the current directory), or empty when
// it can: "The <what> does not exist: <folder>", "... is not a folder: ...", "... cannot
// be written: ... (reason)". Writing is tried, not guessed from permission bits, the way
// backups and exports write their files (ProbeFolderWrite), leaving nothing behind.
std::string FolderWriteProblem(const std::string& folder, std::string_view what);

// True when the folder setting `folder` holds a line break: it is a list of folders (the
// registry's REG_MULTI_SZ reads so), which names no folder.
bool IsFolderList(std::string_view folder);

// The longest file name the file system of `folder` takes, or 0 when it cannot tell.
std::size_t LongestFileName(const std::string& folder);

}  // namespace vantrel
