// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Excludes list: logger files that a backup downloads but does not keep, named in
// section "Excludes" of "Vantrel.ini" in the current directory.

#include <filesystem>
#include <string_view>

namespace vantrel {

// A missing file, section or key reads as this value, which also ends the list; so a logger
// file of this name (in any letter case) is always excluded.
inline constexpr std::string_view kExcludesEndValue = "Empty";

// True when the Excludes list of "Vantrel.ini" in the current directory names the file.
bool IsExcluded(std::string_view loggerFileName);
// The same rules for a given initialisation file.
bool IsExcluded(std::string_view loggerFileName, const std::filesystem::path& iniFile);

}  // namespace vantrel
