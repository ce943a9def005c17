// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An exclusive advisory lock on a file, which the system drops when its holder ends, however
// it ends (SIGKILL included): a running restore holds one, so that any process can tell
// whether it still runs, whatever became of its process id. POSIX: flock() on the open file;
// Windows: LockFileEx. Two holders in one process exclude each other as two processes do.
// Not thread-safe; one thread uses a lock.

#include <cstdint>
#include <filesystem>

namespace vantrel {

class LockFile {
public:
    enum class Open { CreateIfMissing, OnlyExisting };
    enum class State { Taken, HeldElsewhere, Unavailable };

    // Tries once, without waiting, to take the lock on `file`. Unavailable: the file is
    // missing (OnlyExisting) or cannot be opened or locked.
    LockFile(const std::filesystem::path& file, Open open);
    ~LockFile();  // releases the lock; the file stays
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    State state() const { return state_; }
    bool Taken() const { return state_ == State::Taken; }

private:
    std::intptr_t handle_ = -1;  // a descriptor on POSIX, a HANDLE on Windows
    State state_ = State::Unavailable;
};

}  // namespace vantrel
