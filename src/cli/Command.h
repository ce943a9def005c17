// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command framework of the `vantrel` tool. Each command lives in a file of its own and
// registers itself with a CommandRegistration at namespace scope:
//
//     const CommandRegistration kRegistration{Command{definition, &RunSomething}};
//
// A command named with a blank ("logger ls") is a subcommand of the group "logger".

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ArgParser.h"
#include "frontend/InputError.h"

namespace vantrel::cli {

enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

inline constexpr std::string_view kProgram = "vantrel";

// Thrown by a command for a bad argument it finds itself; reported like a parse error.
using UsageError = InputError;

struct CommandIo {
    std::ostream& out;
    std::ostream& err;
};

struct Command {
    CommandSpec definition;
    std::function<int(const ParsedArgs&, CommandIo&)> run;
};

class CommandRegistry {
public:
    static CommandRegistry& Instance();
    void Add(Command command);
    const Command* Find(std::string_view name) const;
    // Every command, sorted by name.
    const std::vector<Command>& All() const { return commands_; }

private:
    std::vector<Command> commands_;
};

struct CommandRegistration {
    explicit CommandRegistration(Command command) {
        CommandRegistry::Instance().Add(std::move(command));
    }
};

// Runs the tool with the arguments after the program name; returns the exit code.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vantrel::cli
