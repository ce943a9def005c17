// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>

#include "cli/Command.h"

namespace vantrel::cli {

CommandRegistry& CommandRegistry::Instance() {
    static CommandRegistry registry;
    return registry;
}

void CommandRegistry::Add(Command command) {
    const auto at = std::lower_bound(
        commands_.begin(), commands_.end(), command.definition.name,
        [](const Command& c, const std::string& name) { return c.definition.name < name; });
    commands_.insert(at, std::move(command));
}

const Command* CommandRegistry::Find(std::string_view name) const {
    const auto it = std::find_if(commands_.begin(), commands_.end(),
                                 [name](const Command& c) { return c.definition.name == name; });
    return it == commands_.end() ? nullptr : &*it;
}

}  // namespace vantrel::cli
