#include "data/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace vantrel {
namespace {

constexpr std::string_view kTempPrefix = ".vantrel-";
constexpr std::string_view kTempSuffix = ".tmp";

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

// Makes the rename itself durable; a folder that cannot be synced is no error.
void SyncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The file a write lands in: the target of a symbolic link, so that the link stays a link
// and the file it names gets the text, as opening the name for writing would do.
std::filesystem::path WriteTarget(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        std::filesystem::path target = std::filesystem::canonical(path, error);
        if (!error) return target;
    }
    return path;
}

// The permission bits the new file gets: those of the file it replaces, so that a shared or
// private file stays so; else the usual ones for a new file. A file that could not be
// opened for writing is not replaced either (EACCES).
mode_t ModeFor(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        if (::access(path.c_str(), W_OK) != 0) ThrowErrno(errno, "cannot write " + path.string());
        return info.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The hidden temporary name beside `path`. A long file name is shortened in it, so that
// the temporary name stays within the file system's limit whenever `path` itself does.
std::string TempPattern(const std::filesystem::path& path) {
    constexpr std::size_t kLongestNamePart = 200;
    const std::string name = path.filename().string().substr(0, kLongestNamePart);
    // mkstemps keeps the suffix after the six random characters.
    return (path.parent_path() / (std::string(kTempPrefix) + name + "-XXXXXX")).string() +
           std::string(kTempSuffix);
}

}  // namespace

bool IsAtomicTempName(std::string_view fileName) {
    return fileName.size() > kTempPrefix.size() + kTempSuffix.size() &&
           fileName.starts_with(kTempPrefix) && fileName.ends_with(kTempSuffix);
}

void WriteFileAtomically(const std::filesystem::path& name, std::string_view bytes) {
    const std::filesystem::path path = WriteTarget(name);
    const std::filesystem::path folder = path.parent_path();
    const mode_t mode = ModeFor(path);
    std::string pattern = TempPattern(path);
    int fd = ::mkstemps(pattern.data(), static_cast<int>(kTempSuffix.size()));
    if (fd < 0) ThrowErrno(errno, "cannot create a file in " + folder.string());
    // mkstemps creates the file for its owner only.
    ::fchmod(fd, mode);

    int error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(pattern.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(pattern.c_str());
        ThrowErrno(error, "cannot write " + path.string());
    }
    SyncFolder(folder);
}

}  // namespace vantrel
