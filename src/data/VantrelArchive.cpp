// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/VantrelArchive.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>
#include <vector>

#include "base/PathText.h"
#include "data/AtomicFile.h"
#include "data/RegularFile.h"

namespace vantrel {
namespace {

[[noreturn]] void ThrowFileError(std::error_code error, const std::filesystem::path& path) {
    throw std::system_error(error, "cannot read " + Utf8FromPath(path));
}

// The whole file, read into memory. It is read rather than mapped: a mapped file that
// another program cuts short meanwhile (a copy over it) raises SIGBUS on the reading
// thread, where a read simply ends early and is refused.
//
// Only a regular file is read: a pipe named like a backup would block the open until some
// writer came, and a device such as /dev/zero would never end. A file larger than any
// backup is refused before a byte of it is read. A file that ends before the size it had
// when opened, or goes on past it, changed while it was read and is refused as unreadable.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path) {
    RegularFileReader file;
    if (const std::error_code error = file.Open(path); error) {
        if (error == std::errc::invalid_argument) {
            throw std::system_error(error,
                                    "cannot read " + Utf8FromPath(path) + ": not a regular file");
        }
        ThrowFileError(error, path);
    }
    const std::uint64_t size = file.Size();
    if (size > kMaxBackupFileBytes) {
        throw ArchiveError(ArchiveError::Kind::TooLarge, "the file is larger than any backup (" +
                                                             std::to_string(size) +
                                                             " bytes): " + Utf8FromPath(path));
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    const auto readUpTo = [&](std::uint8_t* into, std::size_t wanted) {
        std::size_t filled = 0;
        while (filled < wanted) {
            std::size_t got = 0;
            if (const std::error_code error = file.Read(into + filled, wanted - filled, got))
                ThrowFileError(error, path);
            if (got == 0) break;
            filled += got;
        }
        return filled;
    };
    std::uint8_t beyond = 0;  // a byte past the size: the file grew
    if (readUpTo(bytes.data(), bytes.size()) != bytes.size() || readUpTo(&beyond, 1) != 0) {
        throw std::system_error(
            EIO, std::generic_category(),
            "cannot read " + Utf8FromPath(path) + ": it changed while it was read");
    }
    return bytes;
}

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
    return Load(ReadWholeFile(path));
}

void CVantrelArchive::SaveToFile(const std::filesystem::path& path) const {
    const std::vector<std::uint8_t> bytes = Store();
    WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace vantrel
