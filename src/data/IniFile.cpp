// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/IniFile.h"

#include <cctype>

namespace vantrel {
namespace {

std::string_view Trim(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view DropQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

IniSection::IniSection(std::string_view text, std::string_view section) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // UTF-8 byte order mark
    bool inSection = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            if (inSection) break;  // only the first section of that name counts
            const std::size_t close = line.find(']');
            inSection = EqualsIgnoringCase(Trim(line.substr(1, close - 1)), section);
            continue;
        }
        if (!inSection) continue;
        // A line without "=" is a key without a value.
        const std::size_t equals = line.find('=');
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view{} : Trim(line.substr(equals + 1));
        values_.emplace(LowerCase(key), std::string(DropQuotes(value)));
    }
}

std::optional<std::string> IniSection::Get(std::string_view key) const {
    const auto found = values_.find(LowerCase(key));
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

}  // namespace vantrel
