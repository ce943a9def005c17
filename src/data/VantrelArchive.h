// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One backup in memory: the profile records, the backup time, the reading period, the
// device configuration, both soil tables and the other logger files.

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "data/DateTime.h"
#include "data/ProfileNode.h"

namespace vantrel {

// Raised while a backup file is read: the file ended early, named an unknown class or
// referred to an object that does not exist.
class ArchiveError : public std::runtime_error {
public:
    enum class Kind { EndOfFile, BadClass, BadIndex, TooLarge };
    ArchiveError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// The largest file taken for a backup. The loggers this program serves keep their files
// in a few megabytes; a logger with 16 MiB, a generous bound, backed up with every byte as
// two hexadecimal digits in two-byte characters gives 64 MiB. Four times that leaves room
// for any logger of this kind, while a file beyond it (a disk image, a sparse file named
// like a backup) is refused at once instead of being read into memory.
inline constexpr std::uint64_t kMaxBackupFileBytes = 256ull << 20;

class CVantrelArchive {
public:
    CVantrelArchive() = default;

    // Appends a record built from the three texts; returns its index.
    int AddProfile(std::string_view numberText, std::string dataText, std::string configText);
    // Scans every record and sets m_dtFrom / m_dtTo; returns true.
    bool ScanProfiles();

    // Accessors; an index outside 0 .. count-1 throws std::out_of_range.
    int GetProfileCount() const;
    std::int32_t GetProfileNo(int i) const;
    std::int32_t GetReadingCount(int i) const;
    DateTimeValue GetFirstDate(int i) const;
    DateTimeValue GetLastDate(int i) const;
    std::int32_t GetProfileFiles(int i, std::string& data, std::string& config) const;
    const CProfileNode& GetProfile(int i) const;

    bool HasData(int i) const;
    int GetSensorCount(int i) const;
    int GetDepthStep(int i) const;
    int GetFirstDepth(int i) const;
    int GetLastDepth(int i) const;

    // Texts of the export.
    std::string GetUnitsText(int i) const;
    std::string GetDepthHeader(int i) const;
    // The depth header's column of one sensor ("10cm"); the header joins these with ", ".
    std::string GetDepthLabel(int i, int sensor) const;
    void GetCalibration(int i, int sensor, std::string& a, std::string& b, std::string& c) const;
    // One reading line ending in "\n"; scaled frequencies when `scaled`, else calibrated values.
    // A reading outside 0 .. GetReadingCount(i)-1 throws std::out_of_range; a reading the
    // data text does not hold (a stored count larger than the text) reads as zero fields.
    std::string FormatReading(int i, int reading, bool scaled) const;
    // Appends the reading lines of every reading of profile i (the export's readings block):
    // the stored reading count, bounded by the whole records the data text holds.
    void AppendReadingLines(int i, bool scaled, std::string& out) const;
    // The readings AppendReadingLines writes: the stored count bounded by the whole records.
    int GetExportedReadingCount(int i) const;
    // The number a reading line prints for one sensor (before "%f" formats it): the
    // scaled frequency when `scaled`, else the calibrated value. A reading or sensor the
    // data text does not hold reads as 0.
    float GetReadingValue(int i, int reading, int sensor, bool scaled) const;

    // The exact byte stream of a backup file, and its reverse. Load throws ArchiveError; it
    // reads the current and the old layout, and gives an empty archive for an unknown
    // layout marker. Where a profile record is expected, a null tag or a reference to an
    // earlier record is a BadIndex error.
    std::vector<std::uint8_t> Store() const;
    static CVantrelArchive Load(std::span<const std::uint8_t> bytes);

    // Whole-file helpers. LoadFromFile reads the file whole into memory; it throws
    // std::system_error when the file cannot be read or changes size while it is read (another
    // program copying over it), and ArchiveError when its contents are bad or it is larger than
    // kMaxBackupFileBytes (then nothing of it is read). SaveToFile writes to a temporary
    // file in the same folder, flushes it and renames it over `path`; it throws
    // std::system_error and leaves nothing behind when that fails.
    static CVantrelArchive LoadFromFile(const std::filesystem::path& path);
    void SaveToFile(const std::filesystem::path& path) const;

    DateTimeValue m_dtBackup;
    DateTimeValue m_dtReserved;
    std::vector<CProfileNode> m_profiles;
    DateTimeValue m_dtFrom;
    DateTimeValue m_dtTo;
    std::string m_strDeviceConfig;
    std::string m_strUserSoil;
    std::string m_strOrtvelSoil;
    std::vector<std::string> m_astrOtherNames;
    std::vector<std::string> m_astrOtherFiles;

    friend bool operator==(const CVantrelArchive&, const CVantrelArchive&) = default;
};

}  // namespace vantrel
