// SPDX-License-Identifier: GPL-3.0-or-later
#include "sample/LoggerFileEncoding.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>

namespace vantrel::sample {
namespace {

constexpr double kRatioOffset = 102000.0;
constexpr double kRatioDivisor = 171425582.0;

void PutBigEndian(std::string& bytes, std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        const int shift = 8 * (width - 1 - i);
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> shift) & 0xFFu);
    }
}

void PutFloat(std::string& bytes, std::size_t at, float value) {
    PutBigEndian(bytes, at, std::bit_cast<std::uint32_t>(value), 4);
}

}  // namespace

std::string EncodeReadingRecord(const ReadingRecord& record) {
    std::string bytes(128, '\0');
    bytes[0] = static_cast<char>(record.unitsFlag);
    bytes[2] = static_cast<char>(record.depthOffset);
    bytes[3] = static_cast<char>(record.sensorCount);
    PutBigEndian(bytes, 4, static_cast<std::uint32_t>(record.seconds), 4);
    PutFloat(bytes, 8, record.water);
    PutFloat(bytes, 12, record.air);
    for (std::size_t i = 0; i < 16; ++i) {
        PutBigEndian(bytes, 16 + 2 * i, record.rawCounts[i], 2);
        PutFloat(bytes, 64 + 4 * i, record.calibrated[i]);
    }
    return bytes;
}

std::string EncodeProfileConfig(std::span<const std::int8_t> soilCodes, std::size_t totalBytes) {
    std::string bytes(std::max(totalBytes, 8 + soilCodes.size()), '\0');
    for (std::size_t i = 0; i < soilCodes.size(); ++i) {
        bytes[8 + i] = static_cast<char>(soilCodes[i]);
    }
    return bytes;
}

std::string EncodeSoilTable(std::span<const SoilRecord> records) {
    std::string bytes(16 * records.size(), '\0');
    for (std::size_t k = 0; k < records.size(); ++k) {
        PutFloat(bytes, 16 * k, records[k].a);
        PutFloat(bytes, 16 * k + 4, records[k].reciprocalB);
        PutFloat(bytes, 16 * k + 8, records[k].c);
        bytes[16 * k + 12] = records[k].inUse ? static_cast<char>(0x80) : '\0';
    }
    return bytes;
}

std::string ToHexText(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(2 * bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0x0F];
    }
    return hex;
}

std::uint16_t RawCountForRatio(double ratio) {
    const double count = std::round(ratio * kRatioDivisor - kRatioOffset);
    return static_cast<std::uint16_t>(std::clamp(count, 0.0, 65535.0));
}

double RatioOfRawCount(std::uint16_t rawCount) {
    return (rawCount + kRatioOffset) / kRatioDivisor;
}

std::int32_t LoggerSeconds(int year, int month, int day, int hour, int minute, int second) {
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                        std::chrono::day{static_cast<unsigned>(day)}};
    const sys_days epoch{std::chrono::year{1990} / January / 1};
    const auto days = (date - epoch).count();
    return static_cast<std::int32_t>(days * 86400 + hour * 3600 + minute * 60 + second);
}

}  // namespace vantrel::sample
