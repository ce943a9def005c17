// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/BackupFolder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <vector>

#include "base/AsciiText.h"
#include "base/FileSystem.h"
#include "base/PathText.h"
#include "base/StringPrintf.h"
#include "data/AtomicFile.h"
#include "ops/BackupLoading.h"
#include "ops/FileNameRules.h"
#include "platform/Prompt.h"

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kExtension = ".vbk";

fs::path SearchFolder(const fs::path& folder) {
    return folder.empty() ? fs::path(".") : folder;
}

// Regular files of `folder` that are backups, in name order; none when it cannot be read.
std::vector<fs::path> BackupFilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const FolderEntry& entry : ReadFolder(folder, error)) {
        if (entry.kind == FileKind::Regular && IsBackupFileName(entry.name)) {
            files.push_back(SearchFolder(folder) / PathFromUtf8(entry.name));
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Names a title must not have: it would leave the folder or vanish from the list.
bool IsUsableTitle(std::string_view title) {
    return !title.empty() && title != "." && title != ".." &&
           LastPathSeparator(title) == std::string_view::npos &&
           title.find('\0') == std::string_view::npos;
}

}  // namespace

bool IsBackupFileName(std::string_view fileName) {
    return fileName.size() > kExtension.size() && EndsWithIgnoringCase(fileName, kExtension);
}

std::string BackupTitleOf(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    std::string title(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
    // "..vbk" would be listed as "." and "...vbk" as "..", which no lookup accepts: such a
    // file goes by its whole name, which reaches it.
    if (!IsUsableTitle(title)) return std::string(fileName);
    return title;
}

std::string CouldNotOpenBackupFileText(std::string_view title) {
    return StringPrintf("Could not open %s backup file for loading", std::string(title).c_str());
}

std::vector<BackupRow> ListBackups(const fs::path& folder,
                                   const UnreadableBackupHandler& onUnreadable,
                                   UnreadableRows unreadable) {
    std::vector<BackupRow> rows;
    for (const fs::path& file : BackupFilesIn(folder)) {
        const std::string title = BackupTitleOf(Utf8FromPath(file.filename()));
        const LoadedBackup loaded = LoadBackup(file);
        if (!loaded.archive) {
            if (unreadable == UnreadableRows::Keep) {
                BackupRow row;
                row.title = title;
                row.file = file;
                row.loadable = false;
                rows.push_back(std::move(row));
            }
            if (!onUnreadable) continue;
            if (loaded.error == kCouldNotOpenBackupText) {
                onUnreadable({title, file, UnreadableBackup::Reason::CannotOpen,
                              CouldNotOpenBackupFileText(title)});
            } else {
                onUnreadable({title, file, UnreadableBackup::Reason::BadData, {}});
            }
            continue;
        }
        const CVantrelArchive& archive = *loaded.archive;
        rows.push_back({title, archive.m_dtFrom, archive.m_dtTo, archive.GetProfileCount(),
                        archive.m_dtBackup, file});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const BackupRow& a, const BackupRow& b) { return a.title < b.title; });
    return rows;
}

std::optional<fs::path> BackupFileOf(const fs::path& folder, std::string_view title) {
    if (!IsUsableTitle(title)) return std::nullopt;
    // The name as the folder spells it, also where the file system ignores letter case (a
    // rename keeps the extension's case); of several spellings, ".vbk" then ".VBK" first.
    const std::string title8(title);
    std::optional<fs::path> found;
    for (const fs::path& file : BackupFilesIn(folder)) {
        const std::string name = Utf8FromPath(file.filename());
        if (!SameFileName(BackupTitleOf(name), title)) continue;
        if (name == title8 + ".vbk") return file;
        if (!found || name == title8 + ".VBK") found = file;
    }
    return found;
}

bool BackupPathTaken(const std::string& path) {
    std::error_code error;
    const fs::path file = PathFromUtf8(path);
    if (KindOfFile(file, error) != FileKind::None) return true;
    const std::string name = Utf8FromPath(file.filename());
    if (!IsBackupFileName(name)) return false;
    return BackupFileOf(file.parent_path(), BackupTitleOf(name)).has_value();
}

FileExistsPredicate TakenNamesIn(const fs::path& folder) {
    // Compared the way the file system compares names (without letter case on Windows).
    auto names = std::make_shared<std::vector<std::string>>();
    auto titles = std::make_shared<std::vector<std::string>>();
    std::error_code error;
    for (FolderEntry& entry : ReadFolder(folder, error)) {
        if (IsBackupFileName(entry.name) && entry.kind == FileKind::Regular) {
            titles->push_back(BackupTitleOf(entry.name));
        }
        names->push_back(std::move(entry.name));
    }
    return [names, titles](const std::string& path) {
        const std::string name = Utf8FromPath(PathFromUtf8(path).filename());
        const auto among = [](const std::vector<std::string>& list, const std::string& wanted) {
            return std::any_of(list.begin(), list.end(), [&](const std::string& listed) {
                return SameFileName(listed, wanted);
            });
        };
        return among(*names, name) ||
               (IsBackupFileName(name) && among(*titles, BackupTitleOf(name)));
    };
}

std::string BackupTitleProblem(std::string_view title) {
    // The extension's letter case changes nothing that the rules look at.
    return FileNameProblem(std::string(title) + std::string(kExtension));
}

bool RenameBackup(const fs::path& folder, std::string_view oldTitle, std::string_view newTitle,
                  IPrompt& prompt) {
    if (const std::string problem = BackupTitleProblem(newTitle); !problem.empty()) {
        prompt.Show(problem);
        return false;
    }
    const auto refuse = [&prompt] {
        prompt.Show(kCouldNotRenameText);
        return false;
    };
    const auto from = BackupFileOf(folder, oldTitle);
    if (!from || !IsUsableTitle(newTitle)) return refuse();
    if (newTitle == oldTitle) return true;
    // Another backup of that title under any case of the extension would share its row. (A
    // title that differs only in letter case where names ignore it names this very file.)
    if (!SameFileName(newTitle, oldTitle) && BackupFileOf(folder, newTitle)) return refuse();
    const fs::path to =
        from->parent_path() / PathFromUtf8(std::string(newTitle) + Utf8FromPath(from->extension()));
    if (RenameNoReplace(*from, to)) return refuse();
    return true;
}

bool DeleteBackup(const fs::path& folder, std::string_view title, IPrompt& prompt) {
    if (prompt.Show(kDeleteBackupQuestion, kDeleteBackupCaption, PromptButtons::YesNo,
                    PromptIcon::Question) != PromptAnswer::Yes) {
        return false;
    }
    if (const auto file = BackupFileOf(folder, title)) {
        std::error_code ignored;  // the list is read again and shows what is left
        RemoveFile(*file, ignored);
    }
    return true;
}

}  // namespace vantrel
