// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ISettings held in memory, for tests. A value written as an int reads back as its decimal
// text and the other way round, as in the registry profile operations.

#include <map>
#include <string>
#include <utility>

#include "platform/Settings.h"

namespace vantrel {

class MemorySettings final : public ISettings {
public:
    int GetInt(std::string_view section, std::string_view name, int fallback) const override;
    bool WriteInt(std::string_view section, std::string_view name, int value) override;
    std::string GetString(std::string_view section, std::string_view name,
                          std::string_view fallback) const override;
    bool WriteString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    // Nothing to save: always true, and no problem.
    bool Sync() override { return true; }
    std::string Problem() const override { return {}; }
    bool RemoveSection(std::string_view section) override;
    bool HasSection(std::string_view section) const override;

    bool Contains(std::string_view section, std::string_view name) const;

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

}  // namespace vantrel
