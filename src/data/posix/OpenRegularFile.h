// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Internal to the POSIX file readers (RegularFile.cpp, AppendableFile.cpp): opening a file
// that must be a regular one.

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace vantrel::posix_file {

// Opens `path` with `access` (O_RDONLY or O_RDWR) and sets `fd`, which the caller closes,
// also after a failure; then checks that it is a regular file and sets `size`. Returns the
// system's error, EISDIR for a folder or EINVAL for anything else that is not a regular file.
inline std::error_code OpenRegularFile(const std::filesystem::path& path, int access, int& fd,
                                       std::uint64_t& size) {
    // O_NONBLOCK keeps a pipe from blocking the open; it changes nothing for a regular file.
    fd = ::open(path.c_str(), access | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {errno, std::generic_category()};
    struct stat info {};
    if (::fstat(fd, &info) != 0) return {errno, std::generic_category()};
    if (S_ISDIR(info.st_mode)) return {EISDIR, std::generic_category()};
    if (!S_ISREG(info.st_mode)) return {EINVAL, std::generic_category()};
    size = static_cast<std::uint64_t>(info.st_size);
    return {};
}

}  // namespace vantrel::posix_file
