// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text is UTF-8 inside the program; Win32 calls take UTF-16. These two convert at that edge,
// explicitly, so no path or message ever passes through the ANSI code page. Malformed input
// becomes U+FFFD rather than failing.

#include <string>
#include <string_view>

namespace vantrel {

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

}  // namespace vantrel
