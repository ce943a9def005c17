// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/TestArchives.h"

#include <random>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "sample/LoggerFileEncoding.h"

namespace vantrel::test {

std::vector<std::int8_t> DefaultSoilCodes() {
    return {1, 2};
}

using sample::EncodeReadingRecord;
using sample::LoggerSeconds;
using sample::ToHexText;

std::int32_t MarchFifthPlusHours(int hours) {
    return LoggerSeconds(2009, 3, 5, 14, 30, 0) + hours * 3600;
}

std::vector<TestReading> HourlyReadings(int first, int count, int sensors) {
    std::vector<TestReading> readings;
    for (int h = first; h < first + count; ++h) {
        TestReading reading{MarchFifthPlusHours(h), {}, {}};
        for (int s = 0; s < sensors; ++s) {
            reading.calibrated.push_back(10.0f + static_cast<float>(h) +
                                         0.5f * static_cast<float>(s));
        }
        readings.push_back(reading);
    }
    return readings;
}

std::string DataHex(const TestProfile& profile) {
    std::string bytes;
    for (const TestReading& reading : profile.readings) {
        sample::ReadingRecord record;
        record.unitsFlag = profile.inches ? 1 : 0;
        record.depthOffset = profile.depthOffset;
        record.sensorCount = static_cast<std::uint8_t>(profile.soilCodes.size());
        record.seconds = reading.seconds;
        record.water = 0.0007f;
        record.air = 0.00095f;
        for (size_t s = 0; s < profile.soilCodes.size(); ++s) {
            record.rawCounts[s] = s < reading.raw.size() ? reading.raw[s] : 40000;
            record.calibrated[s] = s < reading.calibrated.size() ? reading.calibrated[s] : 0.0f;
        }
        bytes += EncodeReadingRecord(record);
    }
    return ToHexText(bytes);
}

std::string ConfigHex(const TestProfile& profile) {
    return ToHexText(sample::EncodeProfileConfig(profile.soilCodes, 32));
}

CVantrelArchive MakeArchive(const std::vector<TestProfile>& profiles) {
    std::vector<sample::SoilRecord> user(sample::kSoilRecordCount);
    user[0] = {0.1f, 0.5f, 0.0f, true};
    user[1] = {0.2f, 0.5f, 0.0f, true};
    user[2] = {0.3f, 0.25f, 0.05f, true};
    std::vector<sample::SoilRecord> ortvel(sample::kSoilRecordCount);
    ortvel[0] = {0.25f, 0.4f, 0.01f, true};

    CVantrelArchive archive;
    archive.m_strUserSoil = ToHexText(sample::EncodeSoilTable(user));
    archive.m_strOrtvelSoil = ToHexText(sample::EncodeSoilTable(ortvel));
    for (const TestProfile& profile : profiles) {
        archive.AddProfile(profile.key, profile.withData ? DataHex(profile) : std::string{},
                           ConfigHex(profile));
    }
    archive.ScanProfiles();
    return archive;
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

TempFolder::TempFolder() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            std::filesystem::temp_directory_path() / ("vantrel-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace vantrel::test
