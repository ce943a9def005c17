// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paths for Win32 file calls, of any length. A path of MAX_PATH (260) characters or more is
// refused by the plain forms of CreateFileW, MoveFileExW, FindFirstFileW and the rest unless
// it is given as an extended path: "\\?\C:\...", or "\\?\UNC\server\share\..." for a
// network path. Such a path is taken literally, so it is made full first the way Windows
// resolves a plain one (current folder, "." and "..", "/" as "\", trailing dots and spaces
// of the last name dropped), and means exactly what the plain path would mean.

#include <filesystem>
#include <string>

namespace vantrel {

// `path` as a Win32 file call takes it: a path that resolves to fewer than MAX_PATH - 12
// characters (the limit for a folder) unchanged; a longer one full and extended. Paths that
// are extended already, and device paths ("\\.\COM5", what a device name resolves to),
// stay as they are.
std::wstring ToExtendedPath(const std::filesystem::path& path);

}  // namespace vantrel
