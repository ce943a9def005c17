// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/win32/Win32Errors.h"

#include <windows.h>

#include <cerrno>
#include <system_error>

namespace vantrel {

int ErrnoFromWin32(unsigned long error) {
    switch (error) {
        case ERROR_SUCCESS:
            return 0;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_CURRENT_DIRECTORY:
            return EACCES;
        // Another program has the file open and shares it no further.
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EBUSY;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_PARAMETER:
            return EINVAL;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_NOT_SUPPORTED:
        case ERROR_CALL_NOT_IMPLEMENTED:
            return ENOSYS;
        default:
            return EIO;
    }
}

void ThrowLastWin32Error(const std::string& what) {
    throw std::system_error(ErrnoFromWin32(GetLastError()), std::generic_category(), what);
}

}  // namespace vantrel
