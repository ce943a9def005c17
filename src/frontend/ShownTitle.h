// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the backup lists of both programs show a backup's title.

#include <string>
#include <string_view>

namespace vantrel {

// The title as a list shows it: each blank at its start or end, which the eye cannot see,
// as "␣" (U+2423), so that "Site " and "Site" are told apart; blanks between words stay.
// Only for showing: the title itself still names the file.
std::string ShownTitle(std::string_view title);

}  // namespace vantrel
