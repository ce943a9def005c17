// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Line ends and letter case of the export's text files.

#include <string>
#include <string_view>

namespace vantrel {

// The text of a file as the export compares it: every line followed by one "\n", whether
// it ended in CR LF, LF or (the last line) nothing at all.
std::string NormaliseLineEnds(std::string_view fileBytes);

// The bytes written to disk: every "\n" becomes CR LF.
std::string ToCrLf(std::string_view text);

// The text without leading and trailing white space.
std::string_view TrimWhiteSpace(std::string_view text);

}  // namespace vantrel
