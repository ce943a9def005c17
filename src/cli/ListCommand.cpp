// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel list [--json]: the backups of the backup folder.

#include "base/FileSystem.h"
#include "base/PathText.h"
#include "cli/BackupListText.h"
#include "cli/Command.h"
#include "cli/SharedOptions.h"
#include "cli/TerminalText.h"
#include "cli/ToolSettings.h"
#include "ops/FolderCheck.h"

namespace vantrel::cli {
namespace {

// A folder that is not there is named rather than listed as empty.
void CheckFolder(const std::string& folder) {
    if (folder.empty()) return;  // the current directory
    std::error_code error;
    const FileKind kind =
        IsFolderList(folder) ? FileKind::Other : KindOfFile(PathFromUtf8(folder), error);
    if (kind == FileKind::None) {
        throw UsageError("the backup folder does not exist: " + PrintableText(folder));
    }
    if (kind != FileKind::Folder) {
        throw UsageError("the backup folder is not a folder: " + PrintableText(folder));
    }
}

int RunList(const ParsedArgs& args, CommandIo& io) {
    ToolSettings settings(io.err);
    const std::string folder = settings.BackupFolder(args);
    CheckFolder(folder);
    const bool verbose = args.Has(options::kVerbose.name);
    // Each file skipped is named; the rest is listed all the same.
    const std::vector<BackupRow> rows =
        ListBackups(PathFromUtf8(folder), [&](const UnreadableBackup& unreadable) {
            io.err << "Could not open " << PrintableText(unreadable.title)
                   << " backup file for loading";
            if (verbose) {
                io.err << " (" << PrintableText(Utf8FromPath(unreadable.file)) << ": "
                       << (unreadable.reason == UnreadableBackup::Reason::CannotOpen
                               ? "it cannot be read"
                               : "it is not a backup")
                       << ")";
            }
            io.err << "\n";
        });
    if (args.Has("--json")) {
        io.out << BackupListJson(rows);
        return kExitOk;
    }
    io.out << "Backup folder: "
           << (folder.empty() ? "(the current directory)" : PrintableText(folder)) << "\n";
    if (rows.empty()) {
        io.out << "No backups.\n";
        return kExitOk;
    }
    io.out << BackupTable(rows);
    return kExitOk;
}

const CommandRegistration kList{Command{
    CommandSpec{
        .name = "list",
        .summary = "List the backups of the backup folder",
        .arguments = "[--json] [--folder DIR]",
        .options = {{"--json", "", "print a JSON array instead of the table"},
                    options::kFolder,
                    {"--verbose", "", "say why each skipped file was skipped"}},
        .details =
            "One row per backup (a file ending in .vbk, any letter case), sorted by "
            "title: the reading\nperiod, the number of profiles and the day it was "
            "taken. A blank that begins or ends a title\nshows as \u2423 (--json gives titles "
            "as they are). Files that cannot be loaded are named on\nstderr and skipped; a backup "
            "folder that does not exist is an error (exit status 2).",
    },
    &RunList}};

}  // namespace
}  // namespace vantrel::cli
