// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/FolderLock.h"

#include <windows.h>

#include "base/PathText.h"
#include "data/win32/HeldFiles.h"
#include "data/win32/Win32Path.h"

namespace vantrel {

namespace {

// The lock file's name; it starts with a dot like our other hidden names, so listings
// of backups and exports never show it.
constexpr char kLockName[] = ".vantrel-lock";

}  // namespace

FolderLock::FolderLock(const std::filesystem::path& file) {
    const std::filesystem::path folder = file.parent_path();
    const std::filesystem::path lockFile =
        (folder.empty() ? std::filesystem::path(L".") : folder) / PathFromUtf8(kLockName);
    HANDLE handle = INVALID_HANDLE_VALUE;
    // A scanner may have the new lock file for a moment.
    const bool opened = RetryWhileHeld([&] {
        handle = CreateFileW(Win32Path(lockFile).c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_HIDDEN, nullptr);
        return handle != INVALID_HANDLE_VALUE;
    });
    if (!opened) return;
    OVERLAPPED whole{};  // the lock covers the file's first byte; it need not exist
    if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
        CloseHandle(handle);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(handle);
}

FolderLock::~FolderLock() {
    if (handle_ == -1) return;
    HANDLE handle = reinterpret_cast<HANDLE>(handle_);
    OVERLAPPED whole{};
    UnlockFileEx(handle, 0, 1, 0, &whole);
    CloseHandle(handle);
}

}  // namespace vantrel
