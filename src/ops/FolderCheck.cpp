// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/FolderCheck.h"

#include <sys/stat.h>
#include <unistd.h>

#include "data/AtomicFile.h"

namespace vantrel {

std::string FolderWriteProblem(const std::string& folder, std::string_view what) {
    const std::string subject = "The " + std::string(what) + " ";
    const std::string shown = folder.empty() ? "the current directory" : folder;
    const char* where = folder.empty() ? "." : folder.c_str();
    struct stat info {};
    if (::stat(where, &info) != 0) return subject + "does not exist: " + shown;
    if (!S_ISDIR(info.st_mode)) return subject + "is not a folder: " + shown;
    // The way the result will be written, so that a folder refused here could not have
    // taken it, and one accepted here can (USB sticks and network folders included).
    if (const std::error_code error = ProbeFolderWrite(folder); error) {
        return subject + "cannot be written: " + shown + " (" + error.message() + ")";
    }
    return {};
}

std::size_t LongestFileName(const std::string& folder) {
    const long longest = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? static_cast<std::size_t>(longest) : 0;
}

}  // namespace vantrel
