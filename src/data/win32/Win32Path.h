// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one place where the data layer's Win32 halves turn a path into what a Win32 file call
// takes, so that a change of spelling (extended-length paths, say) is made here alone.

#include <filesystem>
#include <string>

namespace vantrel {

inline std::wstring Win32Path(const std::filesystem::path& path) {
    return path.wstring();
}

}  // namespace vantrel
