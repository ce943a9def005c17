// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ArgParser.h"

#include <algorithm>

#include "cli/Command.h"

namespace vantrel::cli {
namespace {

const OptionSpec kHelpOption{"--help", "", "show this help and exit"};
const OptionSpec kVersionOption{"--version", "", "show the program, Qt and platform versions"};

const OptionSpec* FindOption(const CommandSpec& definition, std::string_view name) {
    const auto it = std::find_if(definition.options.begin(), definition.options.end(),
                                 [name](const OptionSpec& o) { return o.name == name; });
    return it == definition.options.end() ? nullptr : &*it;
}

void CheckPositionalCount(const CommandSpec& definition, const ParsedArgs& parsed) {
    const auto count = static_cast<int>(parsed.positionals.size());
    if (count < definition.minPositionals)
        throw UsageError("missing argument: " + definition.arguments);
    if (count > definition.maxPositionals) {
        throw UsageError("unexpected argument '" + parsed.positionals[definition.maxPositionals] +
                         "'");
    }
}

}  // namespace

std::optional<std::string> ParsedArgs::Value(std::string_view option) const {
    const auto it = values_.find(std::string(option));
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

ParsedArgs ParseArguments(const CommandSpec& definition, std::span<const std::string> args) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
            parsed.positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == kHelpOption.name) {
            parsed.help = true;
            continue;
        }
        if (arg == kVersionOption.name) {
            parsed.version = true;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionSpec* option = FindOption(definition, name);
        if (option == nullptr) throw UsageError("unknown option '" + name + "'");
        if (parsed.Has(name)) throw UsageError("option '" + name + "' given more than once");
        if (option->valueName.empty()) {
            if (equals != std::string::npos) throw UsageError(name + " takes no value");
            parsed.Set(name, "");
        } else if (equals != std::string::npos) {
            parsed.Set(name, arg.substr(equals + 1));
        } else if (i + 1 < args.size()) {
            parsed.Set(name, args[++i]);
        } else {
            throw UsageError(name + " needs a value (" + option->valueName + ")");
        }
    }
    if (!parsed.help && !parsed.version) CheckPositionalCount(definition, parsed);
    return parsed;
}

std::string FormatCommandHelp(const CommandSpec& definition) {
    std::string text = "Usage: " + std::string(kProgram) + " " + definition.name;
    if (!definition.arguments.empty()) text += " " + definition.arguments;
    text += "\n\n" + definition.summary + "\n";
    if (!definition.details.empty()) text += "\n" + definition.details + "\n";
    text += "\nOptions:\n";
    std::vector<OptionSpec> options = definition.options;
    options.push_back(kHelpOption);
    options.push_back(kVersionOption);
    for (const OptionSpec& option : options) {
        std::string left = "  " + option.name;
        if (!option.valueName.empty()) left += " " + option.valueName;
        left.resize(std::max<size_t>(left.size() + 2, 30), ' ');
        text += left + option.help + "\n";
    }
    return text;
}

}  // namespace vantrel::cli
