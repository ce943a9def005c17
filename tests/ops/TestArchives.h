// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small archives with chosen readings and calibrations, built from real logger bytes.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "data/VantrelArchive.h"

namespace vantrel::test {

struct TestReading {
    std::int32_t seconds = 0;  // since 1 January 1990
    std::vector<float> calibrated;
    std::vector<std::uint16_t> raw;  // defaults to 40000 per sensor
};

// User soils 1 and 2: A 0.1 / 0.2, B 2, C 0. (A function, not a braced list in the
// member's initialiser, which GCC 12 at -O2 wrongly takes for uninitialised memory.)
std::vector<std::int8_t> DefaultSoilCodes();

struct TestProfile {
    std::string key = "03";
    bool inches = false;
    std::uint8_t depthOffset = 0;
    std::vector<std::int8_t> soilCodes = DefaultSoilCodes();
    std::vector<TestReading> readings;
    bool withData = true;  // false: a configuration file without data file
};

// Seconds since 1 January 1990 of 5 March 2009 14:30:00 plus `hours`.
std::int32_t MarchFifthPlusHours(int hours);

// `count` readings, one hour apart from 5 March 2009 14:30:00, values that differ per hour.
std::vector<TestReading> HourlyReadings(int first, int count, int sensors = 2);

std::string DataHex(const TestProfile& profile);
std::string ConfigHex(const TestProfile& profile);

// The profiles with both soil tables, scanned like a fresh backup.
CVantrelArchive MakeArchive(const std::vector<TestProfile>& profiles);

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// A fresh, empty folder under the system's temporary folder, removed on destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace vantrel::test
