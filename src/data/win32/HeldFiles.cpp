// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/win32/HeldFiles.h"

#include <windows.h>

#include <atomic>

#include "data/win32/Win32Path.h"

namespace vantrel {
namespace {

constexpr int kTries = 10;
constexpr DWORD kPauseMs = 100;

void DefaultPause(int) {
    Sleep(kPauseMs);
}

std::atomic<HeldFilePause> pause{&DefaultPause};

bool RefusedForAWhile(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

}  // namespace

bool RetryWhileHeld(const std::function<bool()>& attempt) {
    for (int tries = 1;; ++tries) {
        if (attempt()) return true;
        const DWORD error = GetLastError();
        if (!RefusedForAWhile(error) || tries == kTries) return false;
        pause.load()(tries);
        SetLastError(error);
    }
}

bool HeldByAnotherProgram(const std::filesystem::path& path) {
    // Replacing or deleting needs DELETE access; a holder that does not share it refuses it.
    HANDLE file = CreateFileW(Win32Path(path).c_str(), DELETE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

HeldFilePause SetHeldFilePause(HeldFilePause replacement) {
    return pause.exchange(replacement != nullptr ? replacement : &DefaultPause);
}

}  // namespace vantrel
