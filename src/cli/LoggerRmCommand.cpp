// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel logger rm NAME...: deletes files on the logger.

#include "cli/Command.h"
#include "cli/CommandSession.h"
#include "cli/SharedOptions.h"
#include "link/Requests.h"

namespace vantrel::cli {
namespace {

// The logger's deletion; it succeeds only when every name was deleted, since a refused
// name must not be reported as deleted. `connected` tells whether the deletions started.
bool DeleteLoggerFiles(CommandSession& session, const std::vector<std::string>& names,
                       bool& connected, std::size_t& deleted) {
    connected = session.engine().DeleteFiles(&session.printer(), session.link(), names, &deleted);
    return connected && deleted == names.size();
}

int RunLoggerRm(const ParsedArgs& args, CommandIo& io) {
    for (const std::string& name : args.positionals) {
        if (name.empty()) throw UsageError("a file name is empty");
        // The request quotes the name: a quote or a control character would break the frame.
        if (!CanCarryFileName(name)) throw UsageError("not a logger file name: '" + name + "'");
    }
    ToolSettings settings(io.err);
    CommandSession session(args, io, settings);
    std::size_t deleted = 0;
    bool connected = false;
    const int status = session.Run(
        [&] { return DeleteLoggerFiles(session, args.positionals, connected, deleted); });
    for (std::size_t i = 0; i < deleted; ++i) io.out << "Deleted " << args.positionals[i] << "\n";
    if (status == kExitFailed && connected && deleted < args.positionals.size()) {
        io.err << kProgram << " logger rm: could not delete " << args.positionals[deleted];
        if (deleted + 1 < args.positionals.size()) io.err << "; the names after it were left alone";
        io.err << "\n";
    }
    return status;
}

const CommandRegistration kLoggerRm{
    Command{CommandSpec{
                .name = "logger rm",
                .summary = "Delete files on the logger",
                .arguments = "NAME... [--port P] [--baud B]",
                .minPositionals = 1,
                .maxPositionals = 1000,
                .options = options::LinkOptions(),
                .details = "Deletes the named files in order and stops at the first one the logger "
                           "refuses\n(exit status 1).",
            },
            &RunLoggerRm}};

}  // namespace
}  // namespace vantrel::cli
