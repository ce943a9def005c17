// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file writes on POSIX: an unnamed file (O_TMPFILE) linked into place, or a hidden
// temporary name where the file system has no unnamed files or no hard links.
#include "data/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <system_error>

#include "data/AtomicFileParts.h"
#include "data/FolderLock.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

using namespace atomic_file;

// open(O_TMPFILE) on a file system or kernel without unnamed files.
bool NoUnnamedFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == ENOSYS || error == EINVAL;
}

// link() or linkat() on a file system without hard links: EPERM on FAT and exFAT (and
// with fs.protected_hardlinks for a file of another owner), EOPNOTSUPP or ENOSYS on
// network and FUSE folders.
bool NoHardLinks(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

// renameat2() where the kernel or the file system lacks RENAME_NOREPLACE (EINVAL from
// FUSE folders).
bool NoRenameFlags(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// fchmod() on a file system without permission bits (FAT, exFAT): the file gets the
// folder's fixed ones, which is all such a file system can keep.
bool NoPermissionBits(int error) {
    return error == EPERM || error == ENOSYS || error == EOPNOTSUPP;
}

// Writes everything, retrying short writes and interrupted calls.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return 0;
}

// Takes the lock by which the sweep tells a live writer's temporary file from a dead one's;
// a file system without locks gets none (its sweep then goes by age).
void HoldWriterLock(int fd, bool wait) {
    while (::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) != 0 && errno == EINTR) {
    }
}

// Whether `name` still leads to the open file `fd`.
bool NameLeadsTo(const std::string& name, int fd) {
    struct stat byName {
    }, open{};
    return ::lstat(name.c_str(), &byName) == 0 && ::fstat(fd, &open) == 0 &&
           byName.st_dev == open.st_dev && byName.st_ino == open.st_ino;
}

// Makes a new name durable; a folder that cannot be synced is no error.
void SyncFolder(const fs::path& folder) {
    int fd = ::open(FolderOrCurrent(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

namespace atomic_file {

unsigned NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The permission bits the new file gets: those of the file it replaces, so that a shared or
// private file stays so; else the usual ones for a new file. A file that could not be
// opened for writing is not replaced either (EACCES).
unsigned ModeFor(const fs::path& path) {
    struct stat info {};
    // A device, folder or pipe (perhaps behind a symbolic link) is never replaced by a file.
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        ThrowErrno(EINVAL, "not a regular file: " + path.string());
    }
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        if (::access(path.c_str(), W_OK) != 0) ThrowErrno(errno, "cannot write " + path.string());
        return info.st_mode & 07777;
    }
    return NewFileMode();
}

long CurrentProcessId() {
    return static_cast<long>(::getpid());
}

bool ProcessGone(long pid) {
    return pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

// A live writer holds a lock on its temporary file until the file has its final name (the
// kernel lets go of it when the writer dies, however it dies). The sweep removes the file
// while holding that lock itself, so a writer that has just made it, and not yet locked it,
// sees the name gone once it has the lock and makes another.
TempFileState RemoveUnlessHeld(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? TempFileState::Removed : TempFileState::CannotTell;
    TempFileState state = TempFileState::CannotTell;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        state = NameLeadsTo(path.string(), fd) && ::unlink(path.c_str()) != 0
                    ? TempFileState::CannotTell
                    : TempFileState::Removed;
    } else if (errno == EWOULDBLOCK) {
        state = TempFileState::Held;
    }
    ::close(fd);
    return state;
}

}  // namespace atomic_file

namespace {

// Creates a hidden temporary file from `pattern` (which receives the name), locked. A sweep
// may find it in the instant before the lock and remove it: then another one is made (a
// bounded number of times, should a file system's numbers for files never match).
int MakeTempFile(const fs::path& folder, std::string& pattern) {
    for (int attempt = 0;; ++attempt) {
        pattern = TempPattern(folder, "new");
        const int fd = ::mkstemps(pattern.data(), static_cast<int>(kTempSuffix.size()));
        if (fd < 0) return fd;
        HoldWriterLock(fd, true);  // a sweep holds it only while it removes the file
        if (attempt == 10 || NameLeadsTo(pattern, fd)) return fd;
        ::close(fd);
        ::unlink(pattern.c_str());  // gone already, unless its number only seemed to differ
    }
}

// The path by which a descriptor of an unnamed file can be linked into a folder.
std::string DescriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// Copies what `from` holds (from its start) to `to`; errno on failure.
int CopyContents(int from, int to) {
    char buffer[64 * 1024];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(from, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        if (const int error = WriteAll(to, std::string_view(buffer, static_cast<size_t>(n))))
            return error;
        at += n;
    }
}

// Gives the file open at `fd` the owner and group of the file at `path` when they differ,
// and its permission bits `mode` again (a change of owner may clear set-id bits).
void KeepOwner(int fd, const fs::path& path, unsigned mode) {
    struct stat replaced {};
    struct stat written {};
    if (::stat(path.c_str(), &replaced) != 0 || ::fstat(fd, &written) != 0) return;
    if (replaced.st_uid == written.st_uid && replaced.st_gid == written.st_gid) return;
    if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
        ThrowErrno(errno, "cannot give the new " + path.string() + " the owner of the old one");
    }
    if (::fchmod(fd, static_cast<mode_t>(mode)) != 0 && !NoPermissionBits(errno)) {
        ThrowErrno(errno, "cannot write " + path.string());
    }
}

}  // namespace

std::error_code RenameNoReplace(const fs::path& from, const fs::path& to) {
    const auto failure = [](int error) { return std::error_code(error, std::generic_category()); };
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (!NoRenameFlags(errno)) return failure(errno);
#endif
    // link() refuses an existing name, so the check and the rename are one step.
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) != 0) {
            const int error = errno;
            ::unlink(to.c_str());  // keep one name only: the file stays where it was
            return failure(error);
        }
        return {};
    }
    if (!NoHardLinks(errno)) return failure(errno);
    // Neither: the check and the rename under the folder lock, which every writer of ours
    // that takes names this way holds too. The check asks the file system, so a name that
    // differs only in letter case counts as taken where the file system says so.
    const FolderLock lock(to);
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0) return failure(EEXIST);
    if (errno != ENOENT) return failure(errno);
    if (::rename(from.c_str(), to.c_str()) != 0) return failure(errno);
    return {};
}

UnpublishedFile::UnpublishedFile(Empty, const fs::path& folder, unsigned mode)
    : folder_(folder), mode_(mode) {
    // What killed writers of an older kind, or of a file system without unnamed files,
    // left behind in this folder.
    RemoveStaleTempFiles(folder);
    // Readable too: should the file system refuse to link it, its bytes move to a name.
    fd_ = ::open(FolderOrCurrent(folder).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (fd_ >= 0) {
        // Locked before it can have a name: Replace() names it for an instant.
        HoldWriterLock(fd_, false);
    } else if (NoUnnamedFiles(errno)) {
        // No unnamed files here: a hidden name, which a killed writer may leave behind.
        std::string pattern;
        fd_ = MakeTempFile(folder, pattern);
        if (fd_ >= 0) tempName_ = pattern;
    }
    if (fd_ < 0) ThrowErrno(errno, "cannot create a file in " + FolderOrCurrent(folder).string());
    // O_TMPFILE applies the umask and mkstemps makes the file private: set the bits asked.
    if (::fchmod(fd_, static_cast<mode_t>(mode)) != 0 && !NoPermissionBits(errno)) {
        const int error = errno;
        Close();  // no destructor runs for an object this constructor has not finished
        ThrowErrno(error, "cannot write a file in " + FolderOrCurrent(folder).string());
    }
}

void UnpublishedFile::Write(std::string_view piece) {
    if (const int error = WriteAll(fd_, piece)) {
        ThrowErrno(error, "cannot write a file in " + FolderOrCurrent(folder_).string());
    }
}

void UnpublishedFile::Flush() {
    if (::fsync(fd_) != 0) {
        ThrowErrno(errno, "cannot write a file in " + FolderOrCurrent(folder_).string());
    }
}

UnpublishedFile::~UnpublishedFile() {
    Close();
}

void UnpublishedFile::Close() {
    // The name goes first: closing lets go of the lock that keeps sweeps away from it.
    if (!tempName_.empty()) ::unlink(tempName_.c_str());
    tempName_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void UnpublishedFile::BecomeNamed() {
    std::string pattern;
    const int named = MakeTempFile(folder_, pattern);
    if (named < 0)
        ThrowErrno(errno, "cannot create a file in " + FolderOrCurrent(folder_).string());
    int error =
        ::fchmod(named, static_cast<mode_t>(mode_)) == 0 || NoPermissionBits(errno) ? 0 : errno;
    if (error == 0) error = CopyContents(fd_, named);
    if (error == 0 && ::fsync(named) != 0) error = errno;
    if (error != 0) {
        ::close(named);
        ::unlink(pattern.c_str());
        ThrowErrno(error, "cannot write a file in " + FolderOrCurrent(folder_).string());
    }
    ::close(fd_);
    fd_ = named;
    tempName_ = pattern;
}

int UnpublishedFile::LinkUnnamed(const fs::path& path) {
    return ::linkat(AT_FDCWD, DescriptorPath(fd_).c_str(), AT_FDCWD, path.c_str(),
                    AT_SYMLINK_FOLLOW) == 0
               ? 0
               : errno;
}

bool UnpublishedFile::PublishNew(const fs::path& path) {
    if (published_) ThrowErrno(EALREADY, "the file was named already: " + path.string());
    if (tempName_.empty()) {
        const int error = LinkUnnamed(path);
        if (error == EEXIST) return false;
        // No /proc (ENOENT) or no links here: the bytes go under a hidden name instead.
        if (error != 0 && !NoHardLinks(error) && error != ENOENT) {
            ThrowErrno(error, "cannot write " + path.string());
        }
        if (error != 0) BecomeNamed();
    }
    if (!tempName_.empty()) {
        const std::error_code error = RenameNoReplace(tempName_, path);
        if (error == std::errc::file_exists) return false;
        if (error) throw std::system_error(error, "cannot write " + path.string());
        tempName_.clear();
    }
    published_ = true;
    SyncFolder(folder_);
    return true;
}

void UnpublishedFile::Replace(const fs::path& path) {
    if (published_) ThrowErrno(EALREADY, "the file was named already: " + path.string());
    if (replacedOwner_ == ReplacedOwner::Kept) KeepOwner(fd_, path, mode_);
    // A name that is free takes the unnamed file at once, so that a kill leaves no hidden
    // name behind. One that is taken (or a folder without links) goes the long way.
    if (tempName_.empty() && LinkUnnamed(path) == 0) {
        published_ = true;
        SyncFolder(folder_);
        return;
    }
    // A replacing rename needs a name: the unnamed file gets a hidden one for the instant
    // between the link and the rename (no folder sync in between).
    std::random_device random;
    for (int attempt = 0; tempName_.empty(); ++attempt) {
        const std::string hidden = RandomTempName(folder_, path.filename().string(), random);
        const int error = LinkUnnamed(hidden);
        if (error == 0) {
            tempName_ = hidden;
        } else if (NoHardLinks(error) || error == ENOENT) {
            BecomeNamed();
        } else if (error != EEXIST || attempt > 100) {
            ThrowErrno(error, "cannot write " + path.string());
        }
    }
    if (::rename(tempName_.c_str(), path.c_str()) != 0) {
        ThrowErrno(errno, "cannot write " + path.string());  // Close() removes the temporary
    }
    tempName_.clear();
    published_ = true;
    SyncFolder(folder_);
}

}  // namespace vantrel
