// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A logger image kept as a folder: one regular file per logger file.

#include <filesystem>
#include <string>
#include <vector>

namespace vantrel::sample {

struct HexImage {
    std::vector<std::string> names;     // sorted by name
    std::vector<std::string> contents;  // upper-case hex text, index-aligned with names
};

// Reads the regular files of `folder` (leftover temporary files of an interrupted write
// are skipped). Throws std::system_error when the folder or a file cannot be read.
HexImage ReadImageFolder(const std::filesystem::path& folder);

}  // namespace vantrel::sample
