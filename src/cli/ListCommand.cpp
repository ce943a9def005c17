// vantrel list [--json]: the backups of the backup folder.

#include "cli/BackupListText.h"
#include "cli/Command.h"
#include "cli/SharedOptions.h"
#include "cli/ToolSettings.h"

namespace vantrel::cli {
namespace {

int RunList(const ParsedArgs& args, CommandIo& io) {
    ToolSettings settings;
    const std::string folder = settings.BackupFolder(args);
    const bool verbose = args.Has(options::kVerbose.name);
    const std::vector<BackupRow> rows =
        ListBackups(folder, [&](const UnreadableBackup& unreadable) {
            if (!verbose) return;
            io.err << "skipped " << unreadable.file.string() << ": "
                   << (unreadable.reason == UnreadableBackup::Reason::CannotOpen
                           ? unreadable.message
                           : std::string("not a readable backup"))
                   << "\n";
        });
    if (args.Has("--json")) {
        io.out << BackupListJson(rows);
        return kExitOk;
    }
    io.out << "Backup folder: " << (folder.empty() ? "(the current directory)" : folder) << "\n";
    if (rows.empty()) {
        io.out << "No backups.\n";
        return kExitOk;
    }
    io.out << BackupTable(rows);
    return kExitOk;
}

const CommandRegistration kList{
    Command{CommandSpec{
                .name = "list",
                .summary = "List the backups of the backup folder",
                .arguments = "[--json] [--folder DIR]",
                .options = {{"--json", "", "print a JSON array instead of the table"},
                            options::kFolder,
                            {"--verbose", "", "name the files skipped as unreadable on stderr"}},
                .details = "One row per backup (a file ending in .vbk, any letter case), sorted by "
                           "title: the reading\nperiod, the number of profiles and the day it was "
                           "taken. Unreadable files are skipped.",
            },
            &RunList}};

}  // namespace
}  // namespace vantrel::cli
