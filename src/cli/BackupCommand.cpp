// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel backup [NAME]: backs up the logger into a new file in the backup folder.

#include <filesystem>

#include "base/PathText.h"
#include "cli/Command.h"
#include "cli/CommandSession.h"
#include "cli/SharedOptions.h"
#include "cli/TerminalText.h"
#include "ops/BackupFolder.h"
#include "ops/BackupNaming.h"
#include "ops/LoggerOperations.h"

namespace vantrel::cli {
namespace {

// The typed name is a file name inside the backup folder; another folder is --folder.
void CheckBackupName(const std::string& name) {
    if (const std::string problem = BackupNameProblem(name); !problem.empty()) {
        throw UsageError(PrintableText(problem));
    }
    if (LastPathSeparator(name) != std::string::npos) {
        throw UsageError(
            "NAME is a file name in the backup folder (use --folder DIR for another "
            "folder): '" +
            PrintableText(name) + "'");
    }
}

// A backup is only worth downloading when it can be stored: check the folder first.
void CheckFolder(const std::string& folder, const std::string& name) {
    if (const std::string problem = BackupFolderProblem(folder, WithBackupExtension(name));
        !problem.empty()) {
        throw UsageError(PrintableText(problem));
    }
}

int RunBackup(const ParsedArgs& args, CommandIo& io) {
    ToolSettings settings(io.err);
    const std::string name =
        args.positionals.empty() ? DefaultBackupName(CurrentLocalTime()) : args.positionals[0];
    CheckBackupName(name);
    CommandSession session(args, io, settings);
    const std::string folder = settings.BackupFolder(args);
    CheckFolder(folder, name);
    const BackupTarget target =
        ResolveBackupTarget(folder, name, TakenNamesIn(PathFromUtf8(folder)));

    CLoggerOperations& operations = session.operations();
    const int status = session.Run([&] {
        return operations.BackupLogger(&session.printer(), PathFromUtf8(target.path)) == 1;
    });
    if (status == kExitOk)
        io.out << "Backup written to " << PrintableText(Utf8FromPath(operations.LastBackupPath()))
               << "\n";
    return status;
}

const CommandRegistration kBackup{Command{
    CommandSpec{
        .name = "backup",
        .summary = "Back up the logger into a new backup file in the backup folder",
        .arguments = "[NAME] [options]",
        .maxPositionals = 1,
        .options = options::With(options::LinkOptions(), {options::kFolder}),
        .details = "NAME defaults to \"Vantrel Backup DD Mon YYYY.vbk\" (today); \".vbk\" is "
                   "added when missing,\nand a name already taken gets \"(1)\", \"(2)\", ... "
                   "Ctrl-C cancels (exit status 130)\nand leaves no backup file.",
    },
    &RunBackup}};

}  // namespace
}  // namespace vantrel::cli
