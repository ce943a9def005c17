// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file writes on Windows: the bytes go to a hidden temporary file in the target's
// folder, written through to the disk and flushed, which is then renamed into place through
// its own handle: replacing the target, or, for a new name, never replacing (the rename fails
// when the name exists in any letter case). Until then the handle stays open and refuses to
// let the file be deleted, which is how a sweep tells a live writer's temporary file from one
// a killed writer left behind (listings skip those, and the next write in the folder sweeps
// them away). Opens and renames that another program refuses for a moment are tried again
// (HeldFiles.h).
#include "data/AtomicFile.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "base/PathText.h"
#include "data/AtomicFileParts.h"
#include "data/win32/HeldFiles.h"
#include "data/win32/Win32Errors.h"
#include "data/win32/Win32Path.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

using namespace atomic_file;

// Writes everything: 0, or the Win32 error.
DWORD WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return GetLastError();
        bytes.remove_prefix(written);
    }
    return 0;
}

[[noreturn]] void ThrowWriteFailure(DWORD error, const fs::path& folder) {
    ThrowErrno(ErrnoFromWin32(error),
               "cannot write a file in " + Utf8FromPath(FolderOrCurrent(folder)));
}

// Gives the open file `file` the name `to` (a full path), replacing a file there only when
// `replace` is set, and tries again while another program holds the target: 0, or the
// Win32 error.
DWORD RenameOpenFile(HANDLE file, const fs::path& to, bool replace) {
    std::error_code ignored;
    const std::wstring target = Win32Path(fs::absolute(to, ignored));
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, target.c_str(), (target.size() + 1) * sizeof(wchar_t));
    const bool renamed = RetryWhileHeld([&] {
        return SetFileInformationByHandle(file, FileRenameInfo, info,
                                          static_cast<DWORD>(buffer.size())) != 0;
    });
    return renamed ? 0 : GetLastError();
}

// The errno for a failed write of `path`: EBUSY where another program holds it (a rename
// onto a file held open is refused as "access denied").
int ErrnoForTarget(DWORD error, const fs::path& path) {
    if (error == ERROR_ACCESS_DENIED && HeldByAnotherProgram(path)) return EBUSY;
    return ErrnoFromWin32(error);
}

}  // namespace

namespace atomic_file {

// Windows keeps no permission bits; its read-only attribute is honoured by ModeFor.
unsigned NewFileMode() {
    return 0;
}

unsigned ModeFor(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(Win32Path(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;  // a new name
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        ThrowErrno(EINVAL, "not a regular file: " + Utf8FromPath(path));
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ThrowErrno(EACCES, "cannot write " + Utf8FromPath(path));
    }
    return 0;
}

long CurrentProcessId() {
    return static_cast<long>(GetCurrentProcessId());
}

bool ProcessGone(long pid) {
    if (pid <= 0) return true;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return !running;
}

// A live writer's handle does not share deletion, so deleting its file is refused.
TempFileState RemoveUnlessHeld(const fs::path& path) {
    if (DeleteFileW(Win32Path(path).c_str())) return TempFileState::Removed;
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return TempFileState::Removed;
        case ERROR_SHARING_VIOLATION:
            return TempFileState::Held;
        default:
            return TempFileState::CannotTell;
    }
}

}  // namespace atomic_file

std::error_code RenameNoReplace(const fs::path& from, const fs::path& to) {
    const bool moved = RetryWhileHeld([&] {
        return MoveFileExW(Win32Path(from).c_str(), Win32Path(to).c_str(),
                           MOVEFILE_WRITE_THROUGH) != 0;
    });
    if (moved) return {};
    return {ErrnoForTarget(GetLastError(), from), std::generic_category()};
}

UnpublishedFile::UnpublishedFile(Empty, const fs::path& folder, unsigned mode)
    : folder_(folder), mode_(mode) {
    // What killed writers left behind in this folder.
    RemoveStaleTempFiles(folder);
    const std::string where = Utf8FromPath(FolderOrCurrent(folder));
    std::random_device random;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; file == INVALID_HANDLE_VALUE; ++attempt) {
        const fs::path name = PathFromUtf8(RandomTempName(folder, "new", random));
        // Readable by scanners meanwhile, but never deleted by anyone else; DELETE access
        // lets this handle rename it.
        const bool created = RetryWhileHeld([&] {
            file = CreateFileW(Win32Path(name).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                               nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_WRITE_THROUGH,
                               nullptr);
            return file != INVALID_HANDLE_VALUE;
        });
        if (created) {
            tempName_ = name;
        } else if (const DWORD error = GetLastError();
                   (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt > 100) {
            ThrowErrno(ErrnoFromWin32(error), "cannot create a file in " + where);
        }
    }
    handle_ = file;
}

void UnpublishedFile::Write(std::string_view piece) {
    if (const DWORD error = WriteAll(static_cast<HANDLE>(handle_), piece); error != 0) {
        ThrowWriteFailure(error, folder_);
    }
}

void UnpublishedFile::Flush() {
    if (!FlushFileBuffers(static_cast<HANDLE>(handle_))) ThrowWriteFailure(GetLastError(), folder_);
}

UnpublishedFile::~UnpublishedFile() {
    Close();
}

void UnpublishedFile::Close() {
    HANDLE file = static_cast<HANDLE>(handle_);
    handle_ = nullptr;
    if (file != nullptr) {
        // Deleted through the handle, so no other program's open comes in between.
        FILE_DISPOSITION_INFO drop{TRUE};
        if (!tempName_.empty())
            SetFileInformationByHandle(file, FileDispositionInfo, &drop, sizeof drop);
        CloseHandle(file);
    } else if (!tempName_.empty()) {
        DeleteFileW(Win32Path(tempName_).c_str());
    }
    tempName_.clear();
}

void UnpublishedFile::Named() {
    HANDLE file = static_cast<HANDLE>(handle_);
    // Seen as any other file from now on; the times stay as they are (0: unchanged).
    FILE_BASIC_INFO visible{};
    visible.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(file, FileBasicInfo, &visible, sizeof visible);
    FlushFileBuffers(file);  // the new name too
    tempName_.clear();
    published_ = true;
    Close();
}

bool UnpublishedFile::PublishNew(const fs::path& path) {
    if (published_) ThrowErrno(EALREADY, "the file was named already: " + Utf8FromPath(path));
    const DWORD error = RenameOpenFile(static_cast<HANDLE>(handle_), path, false);
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
    if (error != 0) ThrowErrno(ErrnoForTarget(error, path), "cannot write " + Utf8FromPath(path));
    Named();
    return true;
}

void UnpublishedFile::Replace(const fs::path& path) {
    if (published_) ThrowErrno(EALREADY, "the file was named already: " + Utf8FromPath(path));
    // Close() removes the temporary file on failure.
    const DWORD error = RenameOpenFile(static_cast<HANDLE>(handle_), path, true);
    if (error != 0) ThrowErrno(ErrnoForTarget(error, path), "cannot write " + Utf8FromPath(path));
    Named();
}

}  // namespace vantrel
