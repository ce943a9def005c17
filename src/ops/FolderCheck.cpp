// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/FolderCheck.h"

#include <filesystem>

#include "base/FileSystem.h"
#include "base/PathText.h"
#include "data/AtomicFile.h"

namespace vantrel {

std::string FolderWriteProblem(const std::string& folder, std::string_view what) {
    const std::string subject = "The " + std::string(what) + " ";
    const std::string shown = folder.empty() ? "the current directory" : folder;
    if (IsFolderList(folder)) return subject + "is not a folder: " + shown;
    const std::filesystem::path where = PathFromUtf8(folder.empty() ? "." : folder);
    std::error_code statError;
    const FileKind kind = KindOfFile(where, statError);
    if (kind == FileKind::None) return subject + "does not exist: " + shown;
    if (kind != FileKind::Folder) return subject + "is not a folder: " + shown;
    // The way the result will be written, so that a folder refused here could not have
    // taken it, and one accepted here can (USB sticks and network folders included).
    if (const std::error_code error = ProbeFolderWrite(PathFromUtf8(folder)); error) {
        return subject + "cannot be written: " + shown + " (" + error.message() + ")";
    }
    return {};
}

bool IsFolderList(std::string_view folder) {
    return folder.find('\n') != std::string_view::npos;
}

}  // namespace vantrel
