// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel delete NAME [--yes]: deletes a backup of the backup folder.

#include <filesystem>
#include <iostream>

#include "base/FileSystem.h"
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

int RunDelete(const ParsedArgs& args, CommandIo& io) {
    ToolSettings settings(io.err);
    const std::string folder = settings.BackupFolder(args);
    const std::optional<std::string> title =
        RequireBackupTitle(folder, args.positionals[0], "delete", io.err);
    if (!title) return kExitUsage;
    const std::filesystem::path file = *BackupFileOf(PathFromUtf8(folder), *title);
    ConsolePrompt prompt(
        std::cin, io.out, io.err,
        {.assumeYes = args.Has(options::kYes.name), .interactive = StdinIsTerminal()});
    if (!DeleteBackup(PathFromUtf8(folder), *title, prompt)) {
        if (prompt.RefusedQuestion()) {
            io.err << kProgram << " delete: not deleting without confirmation: there is no "
                   << "terminal to ask on; give --yes to delete " << *title << "\n";
            return kExitUsage;
        }
        io.err << "Nothing was deleted.\n";
        return kExitFailed;
    }
    // The deletion's own outcome is not reported by it: look whether the file is gone.
    std::error_code error;
    if (KindOfFile(file, error) != FileKind::None) {
        io.err << kProgram << " delete: could not delete " << PrintableText(Utf8FromPath(file))
               << "\n";
        return kExitFailed;
    }
    io.out << "Deleted " << PrintableText(*title) << "\n";
    return kExitOk;
}

const CommandRegistration kDelete{Command{
    CommandSpec{
        .name = "delete",
        .summary = "Delete a backup of the backup folder",
        .arguments = "NAME [--yes] [--folder DIR]",
        .minPositionals = 1,
        .maxPositionals = 1,
        .options = {options::kYes, options::kFolder},
        .details = "Asks first on a terminal; without one it refuses unless --yes is given.",
    },
    &RunDelete}};

}  // namespace
}  // namespace vantrel::cli
