// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paths and file names as the platform spells them. Names are UTF-8 inside the program; a
// path is made from or turned into that text only through these, never through
// std::filesystem::path's narrow string (which mingw reads in the ANSI code page).

#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel {

std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

// The separator the platform writes between a folder and a name ('/' or '\\').
extern const char kPathSeparator;

// The position of the last folder separator in `path` ('/' on POSIX; '/' or '\\' on
// Windows), or std::string_view::npos.
std::size_t LastPathSeparator(std::string_view path);

// Whether two file names name the same file in a folder: byte for byte on POSIX, without
// regard to letter case on Windows (whose file systems ignore it).
bool SameFileName(std::string_view a, std::string_view b);

}  // namespace vantrel
