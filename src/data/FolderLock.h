// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An advisory lock on a folder that our own writers take before they look at a name and
// then write it, so that two of them never act on the same look at the folder: two
// exports into one file take turns, and a new name is checked and taken as one step where
// the file system cannot refuse an existing name by itself.

#include <cstdint>
#include <filesystem>

namespace vantrel {

// Holds an exclusive lock on the folder of `file` (empty folder: the current directory)
// for its lifetime: flock() on the folder itself on POSIX; on Windows, LockFileEx on the
// hidden file ".vantrel-lock" in it (created when missing and left there, so that no two
// holders ever lock two different files; an open another program refuses for a moment is
// tried again for about a second); waits while another holder has it. A folder that cannot
// be opened or locked is used without the lock: the write itself then reports any problem. Not
// re-entrant: a second FolderLock on the same folder in one process waits for the first.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& file);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    std::intptr_t handle_ = -1;  // a descriptor on POSIX, a HANDLE on Windows
};

}  // namespace vantrel
