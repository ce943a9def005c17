// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts that reach the terminal but come from outside: logger file names, backup file
// names from the folder, paths, and the status and message texts that carry them. A
// control character (an escape sequence from a logger or a crafted file name) is shown as
// "?" instead of acting on the terminal: C0 controls, DEL, the C1 controls U+0080 to
// U+009F written as UTF-8, and the bytes 0x80 to 0x9F outside well-formed UTF-8 (a lone
// 0x9B is the one-byte form of the terminal's control sequence introducer). Other bytes
// of 8-bit names (letters from 0xA0 up) stay as they are.

#include <string>
#include <string_view>

namespace vantrel::cli {

// `keepLineBreaks`: message texts keep their "\n"; names and status lines do not.
std::string PrintableText(std::string_view text, bool keepLineBreaks = false);

}  // namespace vantrel::cli
