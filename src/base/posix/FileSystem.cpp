// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/FileSystem.h"

#include <unistd.h>

#include <cerrno>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

FileKind KindOf(const fs::file_status& status) {
    switch (status.type()) {
        case fs::file_type::not_found:
        case fs::file_type::none:
            return FileKind::None;
        case fs::file_type::regular:
            return FileKind::Regular;
        case fs::file_type::directory:
            return FileKind::Folder;
        default:
            return FileKind::Other;
    }
}

}  // namespace

FileKind KindOfFile(const fs::path& path, std::error_code& error) {
    error.clear();
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) error.clear();
    return KindOf(status);
}

std::vector<FolderEntry> ReadFolder(const fs::path& folder, std::error_code& error) {
    std::vector<FolderEntry> entries;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code entryError;
        FolderEntry entry{it->path().filename().string(), KindOf(it->status(entryError)), {}};
        entry.modified = it->last_write_time(entryError);
        entries.push_back(std::move(entry));
    }
    if (error) entries.clear();
    return entries;
}

bool RemoveFile(const fs::path& path, std::error_code& error) {
    error.clear();
    if (::unlink(path.c_str()) == 0) return true;
    error.assign(errno, std::generic_category());
    return false;
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error);
}

}  // namespace vantrel
