// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/RegularFile.h"

#include "data/posix/OpenRegularFile.h"

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
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

std::error_code RegularFileReader::Open(const std::filesystem::path& path) {
    int fd = -1;
    const std::error_code error = posix_file::OpenRegularFile(path, O_RDONLY, fd, size_);
    handle_ = fd;
    return error;
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

}  // namespace vantrel
