#include "AtomicFile.h"

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

}  // namespace

bool IsAtomicTempName(std::string_view fileName) {
    return fileName.size() > kTempPrefix.size() + kTempSuffix.size() &&
           fileName.starts_with(kTempPrefix) && fileName.ends_with(kTempSuffix);
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path folder = path.parent_path();
    std::string pattern =
        (folder / (std::string(kTempPrefix) + path.filename().string() + "-XXXXXX")).string();
    // mkstemps keeps the suffix after the six random characters.
    pattern += kTempSuffix;
    int fd = ::mkstemps(pattern.data(), static_cast<int>(kTempSuffix.size()));
    if (fd < 0) ThrowErrno(errno, "cannot create a file in " + folder.string());
    // mkstemps creates the file for its owner only; give it the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);

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
