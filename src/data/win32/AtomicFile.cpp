// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file writes on Windows: the bytes go to a hidden temporary name in the target's
// folder, written through to the disk and flushed, and the file is then moved into place
// (MoveFileExW): replacing the target, or, for a new name, never replacing (the move fails
// when the name exists in any letter case). A killed writer may leave the temporary name
// behind; listings skip it and a later write sweeps it away.
#include "data/AtomicFile.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>
#include <system_error>

#include "base/PathText.h"
#include "data/AtomicFileParts.h"
#include "data/win32/Win32Errors.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

using namespace atomic_file;

// Writes everything and flushes it to the disk: 0, or the Win32 error.
DWORD WriteAndFlush(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return GetLastError();
        bytes.remove_prefix(written);
    }
    return FlushFileBuffers(file) ? 0 : GetLastError();
}

}  // namespace

namespace atomic_file {

// Windows keeps no permission bits; its read-only attribute is honoured by ModeFor.
unsigned NewFileMode() {
    return 0;
}

unsigned ModeFor(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
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

}  // namespace atomic_file

std::error_code RenameNoReplace(const fs::path& from, const fs::path& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return {};
    return {ErrnoFromWin32(GetLastError()), std::generic_category()};
}

UnpublishedFile::UnpublishedFile(const fs::path& folder, std::string_view bytes, unsigned mode)
    : folder_(folder), mode_(mode) {
    // What killed writers left behind in this folder.
    RemoveStaleTempFiles(folder);
    const std::string where = Utf8FromPath(FolderOrCurrent(folder));
    std::random_device random;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; file == INVALID_HANDLE_VALUE; ++attempt) {
        const fs::path name = PathFromUtf8(RandomTempName(folder, "new", random));
        file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            tempName_ = name;
        } else if (const DWORD error = GetLastError();
                   (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt > 100) {
            ThrowErrno(ErrnoFromWin32(error), "cannot create a file in " + where);
        }
    }
    const DWORD error = WriteAndFlush(file, bytes);
    CloseHandle(file);  // a file is moved into place closed
    if (error != 0) {
        Close();
        ThrowErrno(ErrnoFromWin32(error), "cannot write a file in " + where);
    }
}

UnpublishedFile::~UnpublishedFile() {
    Close();
}

void UnpublishedFile::Close() {
    if (!tempName_.empty()) DeleteFileW(tempName_.c_str());
    tempName_.clear();
}

bool UnpublishedFile::PublishNew(const fs::path& path) {
    if (published_) ThrowErrno(EALREADY, "the file was named already: " + Utf8FromPath(path));
    const std::error_code error = RenameNoReplace(tempName_, path);
    if (error == std::errc::file_exists) return false;
    if (error) throw std::system_error(error, "cannot write " + Utf8FromPath(path));
    tempName_.clear();
    published_ = true;
    return true;
}

void UnpublishedFile::Replace(const fs::path& path) {
    if (published_) ThrowErrno(EALREADY, "the file was named already: " + Utf8FromPath(path));
    if (!MoveFileExW(tempName_.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ThrowLastWin32Error("cannot write " + Utf8FromPath(path));  // Close() removes it
    }
    tempName_.clear();
    published_ = true;
}

}  // namespace vantrel
