// SPDX-License-Identifier: GPL-3.0-or-later
// Finds the command named by the first arguments, parses its options and runs it; usage
// errors end with exit code 2 and a hint, on stderr.

#include <algorithm>
#include <exception>
#include <span>

#include "cli/Command.h"
#include "cli/SharedOptions.h"
#include "frontend/VersionText.h"

namespace vantrel::cli {
namespace {

std::string TopLevelHelp() {
    std::string text = "Usage: " + std::string(kProgram) +
                       " COMMAND [ARGUMENTS] [OPTIONS]\n\n"
                       "Backs up, restores and exports the data of the Vantrel soil-moisture "
                       "logger.\n\nCommands:\n";
    for (const Command& command : CommandRegistry::Instance().All()) {
        std::string left = "  " + command.definition.name;
        left.resize(std::max<size_t>(left.size() + 2, 20), ' ');
        text += left + command.definition.summary + "\n";
    }
    text +=
        "\nOptions:\n  --help            show this help and exit\n"
        "  --version         show the program, Qt and platform versions\n\n"
        "Run '" +
        std::string(kProgram) + " COMMAND --help' for the options of a command.\n";
    return text;
}

int UsageFailure(CommandIo& io, const std::string& where, const std::string& message) {
    io.err << kProgram << (where.empty() ? "" : " ") << where << ": " << message << "\n"
           << "Try '" << kProgram << (where.empty() ? "" : " ") << where << " --help'.\n";
    return kExitUsage;
}

// The command named by args[0] or, for a group, by args[0] and args[1]; sets `used` to
// the number of arguments that named it.
const Command* FindCommand(const std::vector<std::string>& args, size_t& used) {
    const CommandRegistry& registry = CommandRegistry::Instance();
    if (args.size() >= 2) {
        if (const Command* sub = registry.Find(args[0] + " " + args[1])) {
            used = 2;
            return sub;
        }
    }
    used = 1;
    return registry.Find(args[0]);
}

bool IsGroup(const std::string& name) {
    for (const Command& command : CommandRegistry::Instance().All()) {
        if (command.definition.name.starts_with(name + " ")) return true;
    }
    return false;
}

int RunCommand(const Command& command, std::span<const std::string> args, CommandIo& io) {
    try {
        const ParsedArgs parsed = ParseArguments(command.definition, args);
        if (parsed.help) {
            io.out << FormatCommandHelp(command.definition);
            return kExitOk;
        }
        if (parsed.version) {
            io.out << VersionText(kProgram) << "\n";
            return kExitOk;
        }
        return command.run(parsed, io);
    } catch (const UsageError& error) {
        return UsageFailure(io, command.definition.name, error.what());
    } catch (const std::exception& error) {
        io.err << kProgram << " " << command.definition.name << ": " << error.what() << "\n";
        return kExitFailed;
    }
}

// Options given before the command name ("vantrel --port P logger ls") belong to the
// command: they are moved behind it. Gives the arguments unchanged when there is no
// command name after the options.
std::vector<std::string> MoveLeadingOptions(const std::vector<std::string>& args) {
    size_t i = 0;
    while (i < args.size() && args[i].starts_with("-") && args[i] != "--") {
        const bool valueFollows =
            args[i].find('=') == std::string::npos && options::TakesValue(args[i]);
        i += valueFollows ? 2 : 1;
    }
    if (i == 0 || i >= args.size()) return args;
    std::vector<std::string> moved(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    moved.insert(moved.end(), args.begin(), args.begin() + static_cast<std::ptrdiff_t>(i));
    return moved;
}

}  // namespace

int RunCli(const std::vector<std::string>& given, std::ostream& out, std::ostream& err) {
    CommandIo io{out, err};
    const std::vector<std::string> args = MoveLeadingOptions(given);
    if (args.empty()) return UsageFailure(io, "", "no command given");
    if (args[0] == "--help") {
        out << TopLevelHelp();
        return kExitOk;
    }
    if (args[0] == "--version") {
        out << VersionText(kProgram) << "\n";
        return kExitOk;
    }
    if (args[0].starts_with("-")) return UsageFailure(io, "", "unknown option '" + args[0] + "'");

    size_t used = 0;
    const Command* command = FindCommand(args, used);
    if (command == nullptr) {
        if (IsGroup(args[0])) {
            if (args.size() >= 2 && args[1] == "--help") {
                out << TopLevelHelp();
                return kExitOk;
            }
            return UsageFailure(io, "", "'" + args[0] + "' needs a subcommand");
        }
        return UsageFailure(io, "", "unknown command '" + args[0] + "'");
    }
    return RunCommand(*command, std::span(args).subspan(used), io);
}

}  // namespace vantrel::cli
