// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <random>
#include <string>
#include <system_error>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// Hidden temporary names: ".vantrel-<writer's pid>-<name>-XXXXXX.tmp".
constexpr std::string_view kTempPrefix = ".vantrel-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr auto kStaleAfter = std::chrono::hours(1);

[[noreturn]] void ThrowErrno(int error, const std::string& what) {
    throw std::system_error(error, std::generic_category(), what);
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

fs::path FolderOrCurrent(const fs::path& folder) {
    return folder.empty() ? fs::path(".") : folder;
}

// Makes a new name durable; a folder that cannot be synced is no error.
void SyncFolder(const fs::path& folder) {
    int fd = ::open(FolderOrCurrent(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The file a write lands in: the target of a symbolic link, so that the link stays a link
// and the file it names gets the text, as opening the name for writing would do.
fs::path WriteTarget(const fs::path& path) {
    std::error_code error;
    if (fs::is_symlink(path, error)) {
        fs::path target = fs::canonical(path, error);
        if (!error) return target;
    }
    return path;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The permission bits the new file gets: those of the file it replaces, so that a shared or
// private file stays so; else the usual ones for a new file. A file that could not be
// opened for writing is not replaced either (EACCES).
mode_t ModeFor(const fs::path& path) {
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

// A hidden temporary name in `folder` for a file that will be called `name`. A long name is
// shortened, so that the temporary name stays within the file system's limit whenever the
// final name does.
std::string TempPattern(const fs::path& folder, const std::string& name) {
    constexpr std::size_t kLongestNamePart = 180;
    return (FolderOrCurrent(folder) / (std::string(kTempPrefix) + std::to_string(::getpid()) + "-" +
                                       name.substr(0, kLongestNamePart) + "-XXXXXX"))
               .string() +
           std::string(kTempSuffix);
}

// A hidden temporary name in `folder` with six random characters, not created.
std::string RandomTempName(const fs::path& folder, const std::string& name,
                           std::random_device& random) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string pattern = TempPattern(folder, name);
    const std::size_t xs = pattern.size() - kTempSuffix.size() - 6;
    for (std::size_t i = 0; i < 6; ++i)
        pattern[xs + i] = kLetters[random() % (sizeof kLetters - 1)];
    return pattern;
}

// Creates a hidden temporary file from `pattern` (which receives the name).
int MakeTempFile(std::string& pattern) {
    return ::mkstemps(pattern.data(), static_cast<int>(kTempSuffix.size()));
}

// The path by which a descriptor of an unnamed file can be linked into a folder.
std::string DescriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// Links the open file `fd` (unnamed, or named `tempName`) at `path`; errno on failure.
int LinkAt(int fd, const fs::path& tempName, const fs::path& path) {
    if (!tempName.empty()) return ::link(tempName.c_str(), path.c_str()) == 0 ? 0 : errno;
    return ::linkat(AT_FDCWD, DescriptorPath(fd).c_str(), AT_FDCWD, path.c_str(),
                    AT_SYMLINK_FOLLOW) == 0
               ? 0
               : errno;
}

// The pid in a temporary name of ours, or -1 (a name from before pids were recorded).
pid_t WriterOf(std::string_view name) {
    name.remove_prefix(kTempPrefix.size());
    pid_t pid = -1;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end == name.data() || *end != '-') return -1;
    return pid;
}

bool WriterGone(pid_t pid) {
    return pid <= 0 || (::kill(pid, 0) != 0 && errno == ESRCH);
}

}  // namespace

bool IsAtomicTempName(std::string_view fileName) {
    return fileName.size() > kTempPrefix.size() + kTempSuffix.size() &&
           fileName.starts_with(kTempPrefix) && fileName.ends_with(kTempSuffix);
}

void RemoveStaleTempFiles(const fs::path& folder) {
    std::error_code error;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(FolderOrCurrent(folder), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!IsAtomicTempName(name)) continue;
        std::error_code statError;
        if (!it->is_regular_file(statError) || statError) continue;
        const auto modified = it->last_write_time(statError);
        if (statError || now - modified < kStaleAfter) continue;
        if (WriterGone(WriterOf(name))) fs::remove(it->path(), statError);
    }
}

UnpublishedFile::UnpublishedFile(const fs::path& folder, std::string_view bytes)
    : UnpublishedFile(folder, bytes, NewFileMode()) {}

UnpublishedFile::UnpublishedFile(const fs::path& folder, std::string_view bytes, unsigned mode)
    : folder_(folder) {
    // What killed writers of an older kind, or of a file system without unnamed files,
    // left behind in this folder.
    RemoveStaleTempFiles(folder);
    fd_ = ::open(FolderOrCurrent(folder).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // No unnamed files here: a hidden name, which a killed writer may leave behind.
        std::string pattern = TempPattern(folder, "new");
        fd_ = MakeTempFile(pattern);
        if (fd_ >= 0) {
            tempName_ = pattern;
        }
    }
    if (fd_ < 0) ThrowErrno(errno, "cannot create a file in " + FolderOrCurrent(folder).string());
    // O_TMPFILE applies the umask and mkstemps makes the file private: set the bits asked.
    int error = ::fchmod(fd_, static_cast<mode_t>(mode)) == 0 ? 0 : errno;
    if (error == 0) error = WriteAll(fd_, bytes);
    if (error == 0 && ::fsync(fd_) != 0) error = errno;
    if (error != 0) {
        Close();
        ThrowErrno(error, "cannot write a file in " + FolderOrCurrent(folder).string());
    }
}

UnpublishedFile::~UnpublishedFile() {
    Close();
}

void UnpublishedFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempName_.empty()) ::unlink(tempName_.c_str());
    tempName_.clear();
}

bool UnpublishedFile::PublishNew(const fs::path& path) {
    if (!Link(path)) return false;
    SyncFolder(folder_);
    return true;
}

bool UnpublishedFile::Link(const fs::path& path) {
    if (published_) ThrowErrno(EALREADY, "the file was named already: " + path.string());
    const int error = LinkAt(fd_, tempName_, path);
    if (error == EEXIST) return false;
    if (error != 0) ThrowErrno(error, "cannot write " + path.string());
    published_ = true;
    return true;
}

void WriteFileAtomically(const fs::path& name, std::string_view bytes) {
    const fs::path path = WriteTarget(name);
    const fs::path folder = path.parent_path();
    UnpublishedFile file(folder, bytes, ModeFor(path));
    // A replacing rename needs a name: the unnamed file gets a hidden one for the instant
    // between the link and the rename.
    std::random_device random;
    for (int attempt = 0;; ++attempt) {
        const std::string pattern = RandomTempName(folder, path.filename().string(), random);
        // The hidden name lives only from here to the rename: no folder sync in between.
        if (file.Link(pattern)) {
            if (::rename(pattern.c_str(), path.c_str()) != 0) {
                const int error = errno;
                ::unlink(pattern.c_str());
                ThrowErrno(error, "cannot write " + path.string());
            }
            SyncFolder(folder);
            return;
        }
        if (attempt > 100) ThrowErrno(EEXIST, "cannot write " + path.string());
    }
}

}  // namespace vantrel
