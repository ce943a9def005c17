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
    // Removes every value of `section` (nothing to do when it has none).
    virtual bool RemoveSection(std::string_view section) = 0;
    // Writes what is pending to storage now, for a value that must outlive a killed
    // process; false when that failed. A store that writes at once has nothing to do.
    virtual bool Sync() { return true; }
};

}  // namespace vantrel
