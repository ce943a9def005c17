// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MemorySettings.h"

#include <charconv>

namespace vantrel {

namespace {
std::pair<std::string, std::string> Key(std::string_view section, std::string_view name) {
    return {std::string(section), std::string(name)};
}
}  // namespace

int MemorySettings::GetInt(std::string_view section, std::string_view name, int fallback) const {
    const auto found = values_.find(Key(section, name));
    if (found == values_.end()) return fallback;
    int value = 0;
    const std::string& text = found->second;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    // Like the profile operations: a text that does not start with a number reads as 0.
    return error == std::errc() ? value : 0;
}

bool MemorySettings::WriteInt(std::string_view section, std::string_view name, int value) {
    values_[Key(section, name)] = std::to_string(value);
    return true;
}

std::string MemorySettings::GetString(std::string_view section, std::string_view name,
                                      std::string_view fallback) const {
    const auto found = values_.find(Key(section, name));
    return found == values_.end() ? std::string(fallback) : found->second;
}

bool MemorySettings::WriteString(std::string_view section, std::string_view name,
                                 std::string_view value) {
    values_[Key(section, name)] = std::string(value);
    return true;
}

bool MemorySettings::RemoveSection(std::string_view section) {
    std::erase_if(values_, [section](const auto& value) { return value.first.first == section; });
    return true;
}

bool MemorySettings::HasSection(std::string_view section) const {
    const auto found = values_.lower_bound(Key(section, ""));
    return found != values_.end() && found->first.first == section;
}

bool MemorySettings::Contains(std::string_view section, std::string_view name) const {
    return values_.count(Key(section, name)) != 0;
}

}  // namespace vantrel
