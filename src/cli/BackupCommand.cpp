// vantrel backup [NAME]: backs up the logger into a new file in the backup folder.

#include <filesystem>

#include "cli/Command.h"
#include "cli/CommandSession.h"
#include "cli/SharedOptions.h"
#include "ops/BackupFolder.h"
#include "ops/BackupNaming.h"
#include "ops/LoggerOperations.h"

namespace vantrel::cli {
namespace {

constexpr std::string_view kEnterBackupName = "Please enter a filename to backup the vantrel to";

// The typed name is a file name inside the backup folder; another folder is --folder.
void CheckBackupName(const std::string& name) {
    if (name.find_first_not_of(" \t") == std::string::npos)
        throw UsageError(std::string(kEnterBackupName));
    if (name.find('/') != std::string::npos) {
        throw UsageError(
            "NAME is a file name in the backup folder (use --folder DIR for another "
            "folder): '" +
            name + "'");
    }
}

// A backup is only worth downloading when it can be stored: check the folder first.
void CheckFolder(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path dir =
        folder.empty() ? std::filesystem::path(".") : std::filesystem::path(folder);
    if (!std::filesystem::is_directory(dir, error)) {
        throw UsageError("the backup folder does not exist: " + folder);
    }
}

int RunBackup(const ParsedArgs& args, CommandIo& io) {
    ToolSettings settings;
    const std::string name =
        args.positionals.empty() ? DefaultBackupName(CurrentLocalTime()) : args.positionals[0];
    CheckBackupName(name);
    CommandSession session(args, io, settings);
    const std::string folder = settings.BackupFolder(args);
    CheckFolder(folder);
    const BackupTarget target = ResolveBackupTarget(folder, name, BackupPathTaken);

    CLoggerOperations& operations = session.operations();
    const int status =
        session.Run([&] { return operations.BackupLogger(&session.printer(), target.path) == 1; });
    if (status == kExitOk)
        io.out << "Backup written to " << operations.LastBackupPath().string() << "\n";
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
