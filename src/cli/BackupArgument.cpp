// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/BackupArgument.h"

#include "base/PathText.h"
#include "cli/TerminalText.h"
#include "frontend/BackupChoice.h"
#include "ops/BackupLoading.h"

namespace vantrel::cli {

std::optional<CVantrelArchive> LoadBackupArgument(const std::string& path, CommandIo& io) {
    LoadedBackup loaded = LoadBackup(PathFromUtf8(path));
    if (!loaded.archive) {
        io.err << kProgram << ": " << loaded.error << ": " << PrintableText(path) << "\n";
    }
    return std::move(loaded.archive);
}

std::optional<SiteHistory> LoadHistoryArguments(const std::vector<std::string>& paths,
                                                CommandIo& io) {
    std::vector<std::filesystem::path> files;
    for (const std::string& path : paths) files.push_back(PathFromUtf8(path));
    LoadedHistory loaded = LoadSiteHistory(files);
    if (!loaded.history) {
        io.err << kProgram << ": " << loaded.error << ": "
               << PrintableText(Utf8FromPath(loaded.failed)) << "\n";
    }
    return std::move(loaded.history);
}

std::optional<std::string> RequireBackupTitle(const std::string& folder, const std::string& name,
                                              std::string_view command, std::ostream& err) {
    std::optional<std::string> title = FindBackupTitle(PathFromUtf8(folder), name);
    if (!title) {
        err << kProgram << " " << command << ": there is no backup '" << PrintableText(name)
            << "' in " << (folder.empty() ? "the current directory" : PrintableText(folder))
            << "\n";
    }
    return title;
}

}  // namespace vantrel::cli
