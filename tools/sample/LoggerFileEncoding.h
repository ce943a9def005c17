// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Byte layouts of the logger's files, for building logger images without a logger: the
// 128-byte reading records of PROnn.DAT00, the soil codes of PROnn.CFG00 and the 16-byte
// records of the soil tables. Multi-byte fields are big-endian.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantrel::sample {

struct ReadingRecord {
    std::uint8_t unitsFlag = 0;  // 0 = centimetres, other = inches
    std::uint8_t depthOffset = 0;
    std::uint8_t sensorCount = 0;
    std::int32_t seconds = 0;  // since 1 January 1990 00:00:00
    float water = 0.0f;        // water reference
    float air = 0.0f;          // air reference
    std::array<std::uint16_t, 16> rawCounts{};
    std::array<float, 16> calibrated{};
};

struct SoilRecord {
    float a = 0.0f;
    float reciprocalB = 0.0f;
    float c = 0.0f;
    bool inUse = false;
};

inline constexpr std::size_t kSoilRecordCount = 99;

// 128 bytes.
std::string EncodeReadingRecord(const ReadingRecord& record);
// `totalBytes` bytes (at least 8 + number of codes), soil code of sensor i at byte 8 + i.
std::string EncodeProfileConfig(std::span<const std::int8_t> soilCodes, std::size_t totalBytes);
// 16 bytes per record, soil number k at byte 16 * (k - 1).
std::string EncodeSoilTable(std::span<const SoilRecord> records);

// Two upper-case hexadecimal digits per byte, as a backup holds a file.
std::string ToHexText(std::string_view bytes);

// The raw count whose ratio (count + 102000) / 171425582 is nearest to `ratio`.
std::uint16_t RawCountForRatio(double ratio);
// The ratio the logger derives from a raw count.
double RatioOfRawCount(std::uint16_t rawCount);

// Seconds since 1 January 1990 00:00:00 of a calendar day and time.
std::int32_t LoggerSeconds(int year, int month, int day, int hour = 0, int minute = 0,
                           int second = 0);

}  // namespace vantrel::sample
