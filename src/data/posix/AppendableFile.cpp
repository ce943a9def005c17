// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/AppendableFile.h"

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

// The errors of an open for writing that still allow reading the file.
bool OnlyWritingRefused(int error) {
    return error == EACCES || error == EPERM || error == EROFS || error == ETXTBSY;
}

}  // namespace

AppendableFile::~AppendableFile() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

std::error_code AppendableFile::Open(const std::filesystem::path& path) {
    int fd = -1;
    std::error_code error = posix_file::OpenRegularFile(path, O_RDWR, fd, size_);
    if (fd < 0 && OnlyWritingRefused(error.value())) {
        writeRefused_ = error;
        error = posix_file::OpenRegularFile(path, O_RDONLY, fd, size_);
    }
    handle_ = fd;
    return error;
}

std::error_code AppendableFile::ReadAt(std::uint64_t offset, void* into, std::size_t wanted,
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

std::error_code AppendableFile::Append(std::string_view bytes) {
    if (writeRefused_) return writeRefused_;
    const int fd = static_cast<int>(handle_);
    struct stat info {};
    if (::fstat(fd, &info) != 0) return ErrnoCode(errno);
    const off_t end = info.st_size;
    std::size_t written = 0;
    int error = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + written, bytes.size() - written,
                                   end + static_cast<off_t>(written));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    while (error == 0 && ::fsync(fd) != 0) {
        if (errno != EINTR) error = errno;
    }
    if (error == 0) return {};
    while (::ftruncate(fd, end) != 0 && errno == EINTR) {
    }
    return ErrnoCode(error);
}

}  // namespace vantrel
