// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Comparisons of names and texts without regard to letter case, ASCII only: logger file
// names, initialisation-file keys, month names and the export's block comparisons.

#include <string_view>

namespace vantrel {

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);

}  // namespace vantrel
