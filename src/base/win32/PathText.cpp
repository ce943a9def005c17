// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/PathText.h"

#include <windows.h>

#include <climits>

#include "base/win32/WideText.h"

namespace vantrel {

extern const char kPathSeparator = '\\';

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(WideFromUtf8(text));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return Utf8FromWide(path.native());
}

std::size_t LastPathSeparator(std::string_view path) {
    return path.find_last_of("/\\");
}

// The comparison the file system makes: ordinal, with the upper-case table of the system.
bool SameFileName(std::string_view a, std::string_view b) {
    const std::wstring wideA = WideFromUtf8(a);
    const std::wstring wideB = WideFromUtf8(b);
    if (wideA.size() > INT_MAX || wideB.size() > INT_MAX) return false;
    return CompareStringOrdinal(wideA.c_str(), static_cast<int>(wideA.size()), wideB.c_str(),
                                static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace vantrel
