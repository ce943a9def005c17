// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vantrel {

namespace {

std::error_code ErrnoCode(int error) {
    return {error, std::generic_category()};
}

}  // namespace

RegularFileReader::~RegularFileReader() {
    Close();
}

void RegularFileReader::Close() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

std::error_code RegularFileReader::Open(const std::filesystem::path& path) {
    // O_NONBLOCK keeps a pipe from blocking the open; it changes nothing for a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return ErrnoCode(errno);
    handle_ = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0) return ErrnoCode(errno);
    if (S_ISDIR(info.st_mode)) return ErrnoCode(EISDIR);
    if (!S_ISREG(info.st_mode)) return ErrnoCode(EINVAL);
    size_ = static_cast<std::uint64_t>(info.st_size);
    return {};
}

std::error_code RegularFileReader::Read(void* into, std::size_t wanted, std::size_t& got) {
    got = 0;
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(handle_), into, wanted);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ErrnoCode(errno);
        got = static_cast<std::size_t>(n);
        return {};
    }
}

std::error_code RegularFileReader::ReadAt(std::uint64_t offset, void* into, std::size_t wanted,
                                          std::size_t& got) {
    got = 0;
    auto* bytes = static_cast<char*>(into);
    while (got < wanted) {
        const ssize_t n = ::pread(static_cast<int>(handle_), bytes + got, wanted - got,
                                  static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ErrnoCode(errno);
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return {};
}

}  // namespace vantrel
