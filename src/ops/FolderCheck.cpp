// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/FolderCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vantrel {

std::string FolderWriteProblem(const std::string& folder, std::string_view what) {
    const std::string subject = "The " + std::string(what) + " ";
    const std::string shown = folder.empty() ? "the current directory" : folder;
    const char* where = folder.empty() ? "." : folder.c_str();
    struct stat info {};
    if (::stat(where, &info) != 0) return subject + "does not exist: " + shown;
    if (!S_ISDIR(info.st_mode)) return subject + "is not a folder: " + shown;
    const int probe = ::open(where, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    const int error = probe < 0 ? errno : 0;
    if (probe >= 0) ::close(probe);
    // A file system without unnamed files: the permission bits are all there is to ask.
    const bool unsupported = error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
    if (error != 0 && !(unsupported && ::access(where, W_OK) == 0)) {
        return subject + "cannot be written: " + shown + " (" + std::strerror(error) + ")";
    }
    return {};
}

std::size_t LongestFileName(const std::string& folder) {
    const long longest = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? static_cast<std::size_t>(longest) : 0;
}

}  // namespace vantrel
