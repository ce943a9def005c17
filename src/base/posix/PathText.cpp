// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/PathText.h"

namespace vantrel {

extern const char kPathSeparator = '/';

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::string(text));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return path.string();
}

std::size_t LastPathSeparator(std::string_view path) {
    return path.rfind('/');
}

bool SameFileName(std::string_view a, std::string_view b) {
    return a == b;
}

}  // namespace vantrel
