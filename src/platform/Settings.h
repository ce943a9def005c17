// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings store: the registry profile operations (section, value name, default).
// A write that gives a value its current value again changes nothing, so a store whose
// values are already right is never rewritten.

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

    // Saves what was written since the last save; true when nothing was pending. False when
    // the store could not be saved (or refused its file when it was opened); Problem() then
    // says why. The values written stay in effect for this run either way.
    virtual bool Sync() = 0;
    // Why the store cannot be saved: the file and the reason ("/home/u/.config/Ortvel/
    // VantrelUtilities.conf: Read-only file system"); empty while all is well.
    virtual std::string Problem() const = 0;
    // Removes every value of `section` (nothing to do when it has none).
    virtual bool RemoveSection(std::string_view section) = 0;
    // True when `section` holds any value, also one that reads as missing because it is
    // neither a text nor a number (a registry value of another type).
    virtual bool HasSection(std::string_view section) const = 0;
};

}  // namespace vantrel
