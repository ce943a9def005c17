// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings store: the registry profile operations (section, value name, default).

#include <string>
#include <string_view>

namespace vantrel {

class ISettings {
public:
    virtual ~ISettings() = default;
    virtual int GetInt(std::string_view section, std::string_view name, int fallback) const = 0;
    virtual bool WriteInt(std::string_view section, std::string_view name, int value) = 0;
    virtual std::string GetString(std::string_view section, std::string_view name,
                                  std::string_view fallback) const = 0;
    virtual bool WriteString(std::string_view section, std::string_view name,
                             std::string_view value) = 0;
};

}  // namespace vantrel
