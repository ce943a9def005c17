#include "BackupChoice.h"

#include "BackupFolder.h"
#include "Command.h"

namespace vantrel::cli {

std::optional<std::string> FindBackupTitle(const std::filesystem::path& folder,
                                           const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    if (BackupFileOf(folder, name)) return name;
    if (IsBackupFileName(name)) {
        const std::string title = BackupTitleOf(name);
        if (BackupFileOf(folder, title)) return title;
    }
    return std::nullopt;
}

std::optional<std::string> RequireBackupTitle(const std::string& folder, const std::string& name,
                                              std::string_view command, std::ostream& err) {
    std::optional<std::string> title = FindBackupTitle(folder, name);
    if (!title) {
        err << kProgram << " " << command << ": there is no backup '" << name << "' in "
            << (folder.empty() ? "the current directory" : folder) << "\n";
    }
    return title;
}

std::filesystem::path ChooseBackupFile(const std::filesystem::path& folder,
                                       const std::string& argument) {
    if (const auto title = FindBackupTitle(folder, argument)) {
        if (const auto file = BackupFileOf(folder, *title)) return *file;
    }
    return argument;
}

std::string TitleFromTyped(const std::string& typed) {
    return IsBackupFileName(typed) ? BackupTitleOf(typed) : typed;
}

}  // namespace vantrel::cli
