// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/LockFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace vantrel {

LockFile::LockFile(const std::filesystem::path& file, Open open) {
    const int create = open == Open::CreateIfMissing ? O_CREAT : 0;
    int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | create, 0600);
    // A lock file made by another user (a run under sudo) can still be locked for reading.
    if (fd < 0 && errno == EACCES) fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return;
    int locked = -1;
    while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        state_ = errno == EWOULDBLOCK ? State::HeldElsewhere : State::Unavailable;
        ::close(fd);
        return;
    }
    handle_ = fd;
    state_ = State::Taken;
}

LockFile::~LockFile() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));  // closing releases the lock
}

}  // namespace vantrel
