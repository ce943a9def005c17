// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel restore BACKUP [--yes]: erases the logger and writes a backup back to it.

#include "base/PathText.h"
#include "cli/BackupArgument.h"
#include "cli/Command.h"
#include "cli/CommandSession.h"
#include "cli/SharedOptions.h"
#include "cli/TerminalText.h"
#include "frontend/BackupChoice.h"
#include "frontend/RestoreRecord.h"
#include "ops/LoggerOperations.h"
#include "ops/RestorePlan.h"

namespace vantrel::cli {
namespace {

int RunRestore(const ParsedArgs& args, CommandIo& io) {
    ToolSettings settings(io.err);
    const std::filesystem::path file =
        ChooseBackupFile(PathFromUtf8(settings.BackupFolder(args)), args.positionals[0]);
    // Loaded before asking: a backup that cannot be restored is not worth the question.
    const std::optional<CVantrelArchive> archive = LoadBackupArgument(Utf8FromPath(file), io);
    if (!archive) return kExitUsage;
    if (const std::string refusal = RestoreRefusal(*archive); !refusal.empty()) {
        // The message quotes a name stored in the backup: shown safe for the terminal.
        io.err << kProgram << " restore: " << PrintableText(refusal) << "\n";
        return kExitUsage;
    }

    CommandSession session(args, io, settings);
    const PromptAnswer answer =
        session.prompt().Show(RestoreQuestion(*archive), texts::kRestoreWarningCaption,
                              PromptButtons::OKCancel, PromptIcon::Exclamation);
    if (session.prompt().RefusedQuestion()) {
        io.err << kProgram << " restore: not restoring without confirmation: there is no "
               << "terminal to ask on; give --yes to restore " << PrintableText(Utf8FromPath(file))
               << "\n";
        return kExitUsage;
    }
    if (answer != PromptAnswer::OK) {
        io.err << "Restore cancelled; the logger was not touched.\n";
        return kExitFailed;
    }
    CLoggerOperations& operations = session.operations();
    const RestoreRecording recording(session.records(), session.link().port, Utf8FromPath(file),
                                     &operations);
    // The restore leaves the cancel flag to its caller, who clears it before and after.
    session.engine().SetCancel(false);
    const int status =
        session.Run([&] { return operations.RestoreLogger(&session.printer(), *archive) == 1; });
    session.engine().SetCancel(false);
    // After the link's own last words: what the logger holds now, when the restore ended early.
    if (const std::string state = DescribeRestoreOutcome(operations.LastRestoreOutcome());
        !state.empty()) {
        io.err << PrintableText(state, /*keepLineBreaks=*/true) << "\n";
    }
    return status;
}

const CommandRegistration kRestore{Command{
    CommandSpec{
        .name = "restore",
        .summary = "Erase the logger and write a backup back to it",
        .arguments = "BACKUP [--yes] [options]",
        .minPositionals = 1,
        .maxPositionals = 1,
        .options = options::With(options::LinkOptions(), {options::kFolder, options::kYes}),
        .details = "BACKUP is a backup's title in the backup folder, or the path of a .vbk "
                   "file. Every file\non the logger but its own configuration (QUILON.CFG00) "
                   "is replaced. Asks first on a\nterminal; without one it refuses unless "
                   "--yes is given.",
    },
    &RunRestore}};

}  // namespace
}  // namespace vantrel::cli
