// SPDX-License-Identifier: GPL-3.0-or-later
// The file system's answers from Win32 itself, on extended paths (ToExtendedPath): the C
// runtime's stat and opendir, which std::filesystem uses, stop at MAX_PATH characters.
#include "base/FileSystem.h"

#include <windows.h>

#include <chrono>

#include "base/win32/ExtendedPath.h"
#include "base/win32/WideText.h"

namespace vantrel {

namespace fs = std::filesystem;

namespace {

std::error_code LastError() {
    return {static_cast<int>(GetLastError()), std::system_category()};
}

// Errors that only say that nothing is there.
bool MeansNothingThere(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_DIRECTORY:
            return true;
        default:
            return false;
    }
}

FileKind KindOfAttributes(DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileKind::Folder;
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return FileKind::Other;
    return FileKind::Regular;
}

// A handle on what `path` leads to (links followed), for its identity and attributes only.
HANDLE OpenForQuery(const fs::path& path) {
    return CreateFileW(ToExtendedPath(path).c_str(), 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

fs::file_time_type FileTime(const FILETIME& time) {
    // 100-nanosecond ticks since 1601, the Unix epoch 11644473600 seconds later.
    const auto ticks = (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;
    const std::chrono::sys_time<Ticks> since1970{Ticks(ticks) - std::chrono::seconds(11644473600)};
    return std::chrono::time_point_cast<fs::file_time_type::duration>(
        fs::file_time_type::clock::from_sys(since1970));
}

}  // namespace

FileKind KindOfFile(const fs::path& path, std::error_code& error) {
    error.clear();
    const DWORD attributes = GetFileAttributesW(ToExtendedPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (!MeansNothingThere(GetLastError())) error = LastError();
        return FileKind::None;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return KindOfAttributes(attributes);
    // A link: what it leads to, or nothing.
    HANDLE target = OpenForQuery(path);
    if (target == INVALID_HANDLE_VALUE) return FileKind::None;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(target, &information) != 0;
    CloseHandle(target);
    return known ? KindOfAttributes(information.dwFileAttributes) : FileKind::None;
}

std::vector<FolderEntry> ReadFolder(const fs::path& folder, std::error_code& error) {
    error.clear();
    std::vector<FolderEntry> entries;
    std::wstring pattern = ToExtendedPath(folder.empty() ? fs::path(L".") : folder);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        // A drive's root folder has no "." or "..": when empty, nothing matches.
        if (GetLastError() != ERROR_FILE_NOT_FOUND) error = LastError();
        return entries;
    }
    do {
        const std::wstring_view name(found.cFileName);
        if (name == L"." || name == L"..") continue;
        entries.push_back({Utf8FromWide(name), KindOfAttributes(found.dwFileAttributes),
                           FileTime(found.ftLastWriteTime)});
    } while (FindNextFileW(search, &found));
    const DWORD ended = GetLastError();
    FindClose(search);
    if (ended != ERROR_NO_MORE_FILES) {
        error = {static_cast<int>(ended), std::system_category()};
        entries.clear();
    }
    return entries;
}

bool RemoveFile(const fs::path& path, std::error_code& error) {
    error.clear();
    if (DeleteFileW(ToExtendedPath(path).c_str())) return true;
    error = LastError();
    return false;
}

bool SameFile(const fs::path& a, const fs::path& b) {
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    for (auto [path, information] : {std::pair{&a, &first}, std::pair{&b, &second}}) {
        HANDLE file = OpenForQuery(*path);
        if (file == INVALID_HANDLE_VALUE) return false;
        const bool known = GetFileInformationByHandle(file, information) != 0;
        CloseHandle(file);
        if (!known) return false;
    }
    return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

}  // namespace vantrel
