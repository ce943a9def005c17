#pragma once
// Texts that reach the terminal but come from outside: logger file names and the status and
// message texts that carry them. A control character (an escape sequence from a logger or
// a crafted backup) is shown as "?" instead of acting on the terminal.

#include <string>
#include <string_view>

namespace vantrel::cli {

// `keepLineBreaks`: message texts keep their "\n"; names and status lines do not.
std::string PrintableText(std::string_view text, bool keepLineBreaks = false);

}  // namespace vantrel::cli
