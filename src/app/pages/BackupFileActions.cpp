// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/BackupFileActions.h"

#include <optional>
#include <system_error>

#include "base/FileSystem.h"
#include "base/PathText.h"
#include "data/AtomicFile.h"
#include "ops/BackupFolder.h"

namespace vantrel::app {
namespace {

namespace fs = std::filesystem;

// True when `file` is the file that the title lookup of the backup folder finds, so that
// the shared rename and delete operations, which take a title, act on exactly that file.
bool TitleReachesFile(const fs::path& folder, const std::string& title, const fs::path& file) {
    const std::optional<fs::path> found = BackupFileOf(folder, title);
    return found && SameFile(*found, file);
}

}  // namespace

bool RenameBackupFile(const fs::path& file, const std::string& oldTitle,
                      const std::string& newTitle, IPrompt& prompt) {
    const fs::path folder = file.parent_path();
    if (TitleReachesFile(folder, oldTitle, file))
        return RenameBackup(folder, oldTitle, newTitle, prompt);
    // Another backup has this title under another case of the extension (or the file has
    // gone): the title would lead the shared operation to the other file, so this one is
    // renamed by its path, under the same rules.
    if (newTitle == oldTitle) return true;
    if (const std::string problem = BackupTitleProblem(newTitle); !problem.empty()) {
        prompt.Show(problem);
        return false;
    }
    const fs::path target = folder / PathFromUtf8(newTitle + Utf8FromPath(file.extension()));
    const bool usable = !newTitle.empty() && newTitle != "." && newTitle != ".." &&
                        LastPathSeparator(newTitle) == std::string::npos &&
                        newTitle.find('\0') == std::string::npos && !BackupFileOf(folder, newTitle);
    if (!usable || RenameNoReplace(file, target)) {
        prompt.Show(kCouldNotRenameText);
        return false;
    }
    return true;
}

bool DeleteBackupFile(const fs::path& file, const std::string& title, IPrompt& prompt) {
    const fs::path folder = file.parent_path();
    if (TitleReachesFile(folder, title, file)) return DeleteBackup(folder, title, prompt);
    // As for renaming: the title would lead to another file, so this one goes by its path.
    if (prompt.Show(kDeleteBackupQuestion, kDeleteBackupCaption, PromptButtons::YesNo,
                    PromptIcon::Question) != PromptAnswer::Yes) {
        return false;
    }
    std::error_code ignored;  // the list is read again and shows what is left
    RemoveFile(file, ignored);
    return true;
}

}  // namespace vantrel::app
