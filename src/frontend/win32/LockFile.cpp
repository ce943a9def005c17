// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/LockFile.h"

#include <windows.h>

namespace vantrel {

LockFile::LockFile(const std::filesystem::path& file, Open open) {
    const DWORD disposition = open == Open::CreateIfMissing ? OPEN_ALWAYS : OPEN_EXISTING;
    const auto openFor = [&](DWORD access) {
        return CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           disposition, FILE_ATTRIBUTE_HIDDEN, nullptr);
    };
    HANDLE handle = openFor(GENERIC_READ | GENERIC_WRITE);
    // A lock file made by another user (an administrator's run) can still be locked for
    // reading.
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        handle = openFor(GENERIC_READ);
    }
    if (handle == INVALID_HANDLE_VALUE) return;
    OVERLAPPED first{};  // the lock covers the file's first byte; it need not exist
    if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &first)) {
        state_ = GetLastError() == ERROR_LOCK_VIOLATION ? State::HeldElsewhere : State::Unavailable;
        CloseHandle(handle);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    state_ = State::Taken;
}

LockFile::~LockFile() {
    if (handle_ == -1) return;
    HANDLE handle = reinterpret_cast<HANDLE>(handle_);
    OVERLAPPED first{};
    UnlockFileEx(handle, 0, 1, 0, &first);
    CloseHandle(handle);
}

}  // namespace vantrel
