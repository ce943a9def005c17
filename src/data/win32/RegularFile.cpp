// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/RegularFile.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "data/win32/HeldFiles.h"
#include "data/win32/Win32Errors.h"
#include "data/win32/Win32Path.h"

namespace vantrel {

namespace {

constexpr std::size_t kLargestRead = std::size_t{1} << 30;  // a DWORD's worth, rounded

std::error_code LastError() {
    return {ErrnoFromWin32(GetLastError()), std::generic_category()};
}

}  // namespace

RegularFileReader::~RegularFileReader() {
    Close();
}

void RegularFileReader::Close() {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

std::error_code RegularFileReader::Open(const std::filesystem::path& path) {
    // Other programs may go on reading, writing or replacing the file meanwhile, as they may
    // on POSIX. A folder opens only with FILE_FLAG_BACKUP_SEMANTICS: without it, it is
    // refused with access denied, so its attributes tell it apart first.
    const std::wstring name = Win32Path(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {EISDIR, std::generic_category()};
    }
    // A program that holds the file without sharing it (a spreadsheet showing it, a scanner
    // for a moment) is given about a second to let it go; then the error is EBUSY.
    HANDLE file = INVALID_HANDLE_VALUE;
    const bool opened = RetryWhileHeld([&] {
        file = CreateFileW(name.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return file != INVALID_HANDLE_VALUE;
    });
    if (!opened) return LastError();
    handle_ = reinterpret_cast<std::intptr_t>(file);
    if (GetFileType(file) != FILE_TYPE_DISK) return {EINVAL, std::generic_category()};
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return LastError();
    size_ = static_cast<std::uint64_t>(size.QuadPart);
    return {};
}

std::error_code RegularFileReader::Read(void* into, std::size_t wanted, std::size_t& got) {
    got = 0;
    DWORD n = 0;
    const auto chunk = static_cast<DWORD>(std::min(wanted, kLargestRead));
    if (!ReadFile(reinterpret_cast<HANDLE>(handle_), into, chunk, &n, nullptr)) return LastError();
    got = n;
    return {};
}

// The handle is synchronous: the offset in OVERLAPPED says where to read, the call returns
// once it is done, and the file's position moves to the end of what was read.
std::error_code RegularFileReader::ReadAt(std::uint64_t offset, void* into, std::size_t wanted,
                                          std::size_t& got) {
    got = 0;
    auto* bytes = static_cast<char*>(into);
    while (got < wanted) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>((offset + got) & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min(wanted - got, kLargestRead));
        if (!ReadFile(reinterpret_cast<HANDLE>(handle_), bytes + got, chunk, &n, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;  // from at or past the end
            return LastError();
        }
        if (n == 0) break;
        got += n;
    }
    return {};
}

}  // namespace vantrel
