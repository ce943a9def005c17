// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logger's file system held in memory: name -> contents and creation time, listed in
// name order. Loads from and dumps to a folder of plain files (one file per logger file).

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::sim {

struct CivilTime {
    std::uint16_t year = 2000;
    std::uint8_t month = 1, day = 1, hour = 0, minute = 0, second = 0;

    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

// The UTC calendar time of a point in time.
CivilTime ToCivilTimeUtc(std::int64_t secondsSinceEpoch);
CivilTime CurrentCivilTimeUtc();

struct LoggerFile {
    std::string bytes;
    CivilTime created;
};

// A name the logger accepts: 1 to kMaxNameLength printable ASCII characters without
// quote, "@", path separators or spaces, not starting with "." (so it is always a plain
// file name inside a dump folder, never "..", a hidden or a temporary file).
inline constexpr std::size_t kMaxNameLength = 32;
bool IsValidLoggerName(std::string_view name);

class LoggerFileSystem {
public:
    using Files = std::map<std::string, LoggerFile, std::less<>>;

    // Every regular file of `dir` becomes a logger file (name = file name, created = its
    // modification time). Names the logger could not hold are skipped and returned in
    // `skipped`. Throws std::filesystem::filesystem_error when the folder cannot be read.
    static LoggerFileSystem LoadFromDirectory(const std::filesystem::path& dir,
                                              std::vector<std::string>* skipped = nullptr);

    // Writes every file into `dir` (created when missing), each atomically, so no file is
    // ever half-written under its final name. Files already
    // in `dir` that the logger does not hold are left alone. Throws on failure.
    void DumpToDirectory(const std::filesystem::path& dir) const;

    const Files& files() const { return files_; }
    const LoggerFile* Find(std::string_view name) const;
    void Put(std::string name, std::string bytes, CivilTime created);
    bool Remove(std::string_view name);

    // Listing in name order: the first file, and the file after `name`.
    const Files::value_type* First() const;
    const Files::value_type* After(std::string_view name) const;

private:
    Files files_;
};

}  // namespace vantrel::sim
