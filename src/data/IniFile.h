// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading one section of an initialisation file the way the Windows profile functions
// read it: section and key names without regard to letter case, blanks around names and
// values removed, one pair of surrounding quotes dropped, ";" comment lines ignored, the
// first occurrence of a key winning, CR LF or LF line ends.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/AsciiText.h"

namespace vantrel {

class IniSection {
public:
    // The section `section` of the file text; empty when the text has no such section.
    IniSection(std::string_view fileText, std::string_view section);

    // The value of `key`, or nullopt when the section has no such key.
    std::optional<std::string> Get(std::string_view key) const;

private:
    std::unordered_map<std::string, std::string> values_;  // by lower-case key
};

}  // namespace vantrel
