// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The few questions the program asks the file system about names, asked the same way on
// every platform and for paths of any length. On POSIX these are std::filesystem's; on
// Windows they are Win32 calls on extended ("\\?\") paths, because the C runtime under
// std::filesystem stops at 260 characters (a folder listed there silently lists the
// current directory instead, and the file tests fail).

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace vantrel {

enum class FileKind { None, Regular, Folder, Other };

// What `path` names, symbolic links followed: None when nothing is there (no error then),
// Other for a device, pipe or the like. An error (access denied, a broken volume) gives
// None with `error` set.
FileKind KindOfFile(const std::filesystem::path& path, std::error_code& error);

struct FolderEntry {
    std::string name;  // UTF-8, no folder
    FileKind kind = FileKind::Other;
    std::filesystem::file_time_type modified{};
};

// The entries of `folder` (empty: the current directory) without "." and "..", in the
// order the file system gives them. A folder that cannot be read gives none, with `error`.
std::vector<FolderEntry> ReadFolder(const std::filesystem::path& folder, std::error_code& error);

// Removes the file (not a folder) `path`; false with `error` when it could not.
bool RemoveFile(const std::filesystem::path& path, std::error_code& error);

// Whether `a` and `b` name the same existing file (through links, other spellings, letter
// case where names ignore it).
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace vantrel
