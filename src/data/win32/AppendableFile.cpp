// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/AppendableFile.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "data/win32/Win32Errors.h"
#include "data/win32/Win32Path.h"

namespace vantrel {

namespace {

std::error_code Win32Code(DWORD error) {
    return {ErrnoFromWin32(error), std::generic_category()};
}

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

constexpr std::size_t kLargestCall = 1u << 30;

}  // namespace

AppendableFile::~AppendableFile() {
    if (handle_ != -1) CloseHandle(Handle(handle_));
}

std::error_code AppendableFile::Open(const std::filesystem::path& path) {
    // As RegularFileReader: other programs may go on using the file, and a folder is told
    // apart by its attributes (it opens only with FILE_FLAG_BACKUP_SEMANTICS).
    const std::wstring name = Win32Path(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {EISDIR, std::generic_category()};
    }
    const auto open = [&name](DWORD access) {
        return CreateFileW(name.c_str(), access,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE file = open(GENERIC_READ | GENERIC_WRITE);
    if (file == INVALID_HANDLE_VALUE) {
        // A read-only file, or one another program holds without sharing writes, may still
        // be read.
        const DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION &&
            error != ERROR_WRITE_PROTECT) {
            return Win32Code(error);
        }
        writeRefused_ = Win32Code(error);
        file = open(GENERIC_READ);
        if (file == INVALID_HANDLE_VALUE) return Win32Code(GetLastError());
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    if (GetFileType(file) != FILE_TYPE_DISK) return {EINVAL, std::generic_category()};
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return Win32Code(GetLastError());
    size_ = static_cast<std::uint64_t>(size.QuadPart);
    return {};
}

std::error_code AppendableFile::ReadAt(std::uint64_t offset, void* into, std::size_t wanted,
                                       std::size_t& got) {
    got = 0;
    auto* bytes = static_cast<char*>(into);
    while (got < wanted) {
        OVERLAPPED position = At(offset + got);
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min(wanted - got, kLargestCall));
        if (!ReadFile(Handle(handle_), bytes + got, chunk, &n, &position)) {
            const DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF) break;
            return Win32Code(error);
        }
        if (n == 0) break;
        got += n;
    }
    return {};
}

std::error_code AppendableFile::Append(std::string_view bytes) {
    if (writeRefused_) return writeRefused_;
    const HANDLE file = Handle(handle_);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return Win32Code(GetLastError());
    const auto end = static_cast<std::uint64_t>(size.QuadPart);
    std::size_t written = 0;
    DWORD error = ERROR_SUCCESS;
    while (written < bytes.size()) {
        OVERLAPPED position = At(end + written);
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min(bytes.size() - written, kLargestCall));
        if (!WriteFile(file, bytes.data() + written, chunk, &n, &position)) {
            error = GetLastError();
            break;
        }
        written += n;
    }
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file)) error = GetLastError();
    if (error == ERROR_SUCCESS) return {};
    FILE_END_OF_FILE_INFO cut{};
    cut.EndOfFile.QuadPart = static_cast<LONGLONG>(end);
    SetFileInformationByHandle(file, FileEndOfFileInfo, &cut, sizeof cut);
    return Win32Code(error);
}

}  // namespace vantrel
