// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/VantrelArchive.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>
#include <utility>

#include "data/AtomicFile.h"

namespace vantrel {
namespace {

[[noreturn]] void ThrowFileError(int error, const std::filesystem::path& path) {
    throw std::system_error(error, std::generic_category(), "cannot read " + path.string());
}

// The file's bytes, mapped rather than copied: loading a backup then costs about the
// archive it builds, not that and a copy of the file.
class MappedFile {
public:
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile() {
        if (data_ != nullptr) ::munmap(data_, size_);
    }
    std::span<const std::uint8_t> Bytes() const {
        return {static_cast<const std::uint8_t*>(data_), size_};
    }

    // Only a regular file is mapped: a pipe named like a backup would block the open until
    // some writer came, and a device such as /dev/zero would never end. The open does not
    // wait (O_NONBLOCK, which changes nothing for a regular file). A file larger than any
    // backup is refused before a byte of it is read.
    static MappedFile Open(const std::filesystem::path& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) ThrowFileError(errno, path);
        struct stat info {};
        if (::fstat(fd, &info) != 0) {
            const int error = errno;
            ::close(fd);
            ThrowFileError(error, path);
        }
        if (!S_ISREG(info.st_mode)) {
            ::close(fd);
            if (S_ISDIR(info.st_mode)) ThrowFileError(EISDIR, path);
            throw std::system_error(EINVAL, std::generic_category(),
                                    "cannot read " + path.string() + ": not a regular file");
        }
        const auto size = static_cast<std::uint64_t>(info.st_size);
        if (size > kMaxBackupFileBytes) {
            ::close(fd);
            throw ArchiveError(ArchiveError::Kind::TooLarge,
                               "the file is larger than any backup (" + std::to_string(size) +
                                   " bytes): " + path.string());
        }
        MappedFile file;
        file.size_ = static_cast<std::size_t>(size);
        if (file.size_ > 0) {
            void* data = ::mmap(nullptr, file.size_, PROT_READ, MAP_PRIVATE, fd, 0);
            if (data == MAP_FAILED) {
                const int error = errno;
                ::close(fd);
                ThrowFileError(error, path);
            }
            file.data_ = data;
            ::madvise(data, file.size_, MADV_SEQUENTIAL);
        }
        ::close(fd);
        return file;
    }

    MappedFile(MappedFile&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

private:
    MappedFile() = default;
    void* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace

int CVantrelArchive::AddProfile(std::string_view numberText, std::string dataText,
                                std::string configText) {
    m_profiles.emplace_back(numberText, std::move(dataText), std::move(configText));
    return static_cast<int>(m_profiles.size()) - 1;
}

bool CVantrelArchive::ScanProfiles() {
    for (CProfileNode& node : m_profiles) {
        node.ScanReadings();
        // A profile without readings (first date 0.0) takes no part in the period.
        if (node.m_dtFirst.days != 0.0 &&
            (m_dtFrom.days == 0.0 || IsEarlier(node.m_dtFirst, m_dtFrom)))
            m_dtFrom = node.m_dtFirst;
        if (m_dtTo.days == 0.0 || IsLater(node.m_dtLast, m_dtTo)) m_dtTo = node.m_dtLast;
    }
    return true;
}

const CProfileNode& CVantrelArchive::GetProfile(int i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= m_profiles.size()) {
        throw std::out_of_range("profile index " + std::to_string(i) + " outside 0 .. " +
                                std::to_string(static_cast<long long>(m_profiles.size()) - 1));
    }
    return m_profiles[static_cast<std::size_t>(i)];
}

int CVantrelArchive::GetProfileCount() const {
    return static_cast<int>(m_profiles.size());
}
std::int32_t CVantrelArchive::GetProfileNo(int i) const {
    return GetProfile(i).m_nProfileNo;
}
std::int32_t CVantrelArchive::GetReadingCount(int i) const {
    return GetProfile(i).m_nReadings;
}
DateTimeValue CVantrelArchive::GetFirstDate(int i) const {
    return GetProfile(i).m_dtFirst;
}
DateTimeValue CVantrelArchive::GetLastDate(int i) const {
    return GetProfile(i).m_dtLast;
}

std::int32_t CVantrelArchive::GetProfileFiles(int i, std::string& data, std::string& config) const {
    const CProfileNode& node = GetProfile(i);
    data = node.m_strData;
    config = node.m_strConfig;
    return node.m_nProfileNo;
}

bool CVantrelArchive::HasData(int i) const {
    return GetProfile(i).HasData();
}
int CVantrelArchive::GetSensorCount(int i) const {
    return GetProfile(i).GetSensorCount();
}
int CVantrelArchive::GetDepthStep(int i) const {
    return GetProfile(i).GetDepthStep();
}
int CVantrelArchive::GetFirstDepth(int i) const {
    return GetProfile(i).GetFirstDepth();
}
int CVantrelArchive::GetLastDepth(int i) const {
    return GetProfile(i).GetLastDepth();
}

CVantrelArchive CVantrelArchive::LoadFromFile(const std::filesystem::path& path) {
    // A file cut short while mapped raises SIGBUS on the reading thread; backups are
    // written whole under their final name, so only a file truncated by another program
    // meanwhile could do that.
    const MappedFile file = MappedFile::Open(path);
    return Load(file.Bytes());
}

void CVantrelArchive::SaveToFile(const std::filesystem::path& path) const {
    const std::vector<std::uint8_t> bytes = Store();
    WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace vantrel
