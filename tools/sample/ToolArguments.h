// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command lines of the sample tools: a whole number within bounds, and the usage error.

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

namespace vantrel::sample {

// True when all of `text` is a decimal number from `low` to `high`, then in `value`.
inline bool ParseNumber(std::string_view text, long long low, long long high, long long& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= low &&
           value <= high;
}

// Prints "TOOL: MESSAGE" and the usage on stderr; returns the exit status of a usage error.
inline int UsageError(const char* tool, const std::string& message, const char* usage) {
    std::fprintf(stderr, "%s: %s\n%s", tool, message.c_str(), usage);
    return 2;
}

}  // namespace vantrel::sample
