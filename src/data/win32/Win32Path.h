// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one place where the data layer's Win32 halves turn a path into what a Win32 file call
// takes: an extended-length path where the plain one would pass MAX_PATH (ToExtendedPath).

#include <filesystem>
#include <string>

#include "base/win32/ExtendedPath.h"

namespace vantrel {

inline std::wstring Win32Path(const std::filesystem::path& path) {
    return ToExtendedPath(path);
}

}  // namespace vantrel
