// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel rename OLD NEW: renames a backup of the backup folder.

#include <iostream>

#include "base/PathText.h"
#include "cli/BackupArgument.h"
#include "cli/Command.h"
#include "cli/ConsolePrompt.h"
#include "cli/SharedOptions.h"
#include "cli/TerminalText.h"
#include "cli/ToolSettings.h"
#include "frontend/BackupChoice.h"
#include "ops/BackupFolder.h"

namespace vantrel::cli {
namespace {

int RunRename(const ParsedArgs& args, CommandIo& io) {
    const std::string newTitle = TitleFromTyped(args.positionals[1]);
    if (const std::string problem = BackupTitleProblem(newTitle); !problem.empty()) {
        throw UsageError(PrintableText(problem));
    }
    ToolSettings settings(io.err);
    const std::string folder = settings.BackupFolder(args);
    const std::optional<std::string> oldTitle =
        RequireBackupTitle(folder, args.positionals[0], "rename", io.err);
    if (!oldTitle) return kExitUsage;
    ConsolePrompt prompt(std::cin, io.out, io.err, {});
    if (!RenameBackup(PathFromUtf8(folder), *oldTitle, newTitle, prompt)) return kExitFailed;
    io.out << "Renamed " << PrintableText(*oldTitle) << " to " << PrintableText(newTitle) << "\n";
    return kExitOk;
}

const CommandRegistration kRename{Command{
    CommandSpec{
        .name = "rename",
        .summary = "Rename a backup of the backup folder",
        .arguments = "OLD NEW [--folder DIR]",
        .minPositionals = 2,
        .maxPositionals = 2,
        .options = {options::kFolder},
        .details = "OLD and NEW are titles (the file name without \".vbk\"); the backup keeps "
                   "its extension.\nAn existing backup is never replaced.",
    },
    &RunRename}};

}  // namespace
}  // namespace vantrel::cli
