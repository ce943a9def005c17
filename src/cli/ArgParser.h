// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Options and positional arguments of one command.

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::cli {

struct OptionSpec {
    std::string name;       // "--out"
    std::string valueName;  // "FILE"; empty for a flag
    std::string help;
};

struct CommandSpec {
    std::string name;       // "export", "logger ls"
    std::string summary;    // one line for the command list
    std::string arguments;  // usage line after the name: "BACKUP.vbk --out FILE [options]"
    int minPositionals = 0;
    int maxPositionals = 0;
    std::vector<OptionSpec> options;  // --help and --version are always accepted
    std::string details;              // further help text, may be empty
};

class ParsedArgs {
public:
    bool help = false;
    bool version = false;
    std::vector<std::string> positionals;

    bool Has(std::string_view option) const { return values_.contains(std::string(option)); }
    // The value of an option given with one; nullopt when the option is absent.
    std::optional<std::string> Value(std::string_view option) const;
    void Set(const std::string& option, std::string value) { values_[option] = std::move(value); }

private:
    std::map<std::string, std::string> values_;
};

// Parses "--name value", "--name=value", flags and positionals ("--" ends the options).
// Throws UsageError (see Command.h) for an unknown option, a missing or unexpected value,
// an option given twice, or a wrong number of positionals (not checked with --help or
// --version).
ParsedArgs ParseArguments(const CommandSpec& definition, std::span<const std::string> args);

// The text of "vantrel CMD --help".
std::string FormatCommandHelp(const CommandSpec& definition);

}  // namespace vantrel::cli
