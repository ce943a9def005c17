// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/TestRecords.h"

#include <bit>

namespace vantrel::test {
namespace {

void PutBig(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int size) {
    for (int k = 0; k < size; ++k)
        bytes[at + k] = static_cast<std::uint8_t>(value >> (8 * (size - 1 - k)));
}

void PutFloat(std::vector<std::uint8_t>& bytes, std::size_t at, float value) {
    PutBig(bytes, at, std::bit_cast<std::uint32_t>(value), 4);
}

}  // namespace

std::vector<std::uint8_t> ReadingRecord::Bytes() const {
    std::vector<std::uint8_t> bytes(128, 0);
    bytes[0] = units;
    bytes[2] = depthOffset;
    bytes[3] = sensors;
    PutBig(bytes, 4, static_cast<std::uint32_t>(seconds), 4);
    PutFloat(bytes, 8, water);
    PutFloat(bytes, 12, air);
    for (std::size_t i = 0; i < 16; ++i) {
        PutBig(bytes, 16 + 2 * i, raw[i], 2);
        PutFloat(bytes, 64 + 4 * i, calibrated[i]);
    }
    return bytes;
}

std::vector<std::uint8_t> SoilRecord::Bytes() const {
    std::vector<std::uint8_t> bytes(16, 0);
    PutFloat(bytes, 0, a);
    PutFloat(bytes, 4, inverseB);
    PutFloat(bytes, 8, c);
    bytes[12] = flags;
    return bytes;
}

std::string Hex(const std::vector<std::uint8_t>& bytes, bool upperCase) {
    const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    for (std::uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

std::string DataText(const std::vector<ReadingRecord>& records, bool upperCase) {
    std::string text;
    for (const ReadingRecord& r : records) text += Hex(r.Bytes(), upperCase);
    return text;
}

std::string SoilTable(const std::vector<SoilRecord>& records) {
    std::string text;
    for (const SoilRecord& r : records) text += Hex(r.Bytes());
    return text;
}

std::string ConfigText(const std::vector<std::uint8_t>& codes) {
    std::vector<std::uint8_t> bytes(8, 0x11);
    bytes.insert(bytes.end(), codes.begin(), codes.end());
    return Hex(bytes);
}

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> bytes;
    for (const auto& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

std::vector<std::uint8_t> U16(std::uint16_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
}

std::vector<std::uint8_t> U32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

std::vector<std::uint8_t> Ascii(std::string_view text) {
    return {text.begin(), text.end()};
}

CVantrelArchive SmallArchive() {
    ReadingRecord first;
    first.units = 0;
    first.sensors = 2;
    first.seconds = 605'000'000;
    first.water = 0.25f;
    first.air = 0.75f;
    first.raw[0] = 1000;
    first.raw[1] = 2000;
    first.calibrated[0] = 12.5f;
    first.calibrated[1] = -0.25f;
    ReadingRecord second = first;
    second.seconds += 3600;
    second.calibrated[0] = 13.0f;

    CVantrelArchive archive;
    archive.AddProfile("3", DataText({first, second}), ConfigText({0x01, 0xFF}));
    archive.AddProfile("12", "", ConfigText({0x00}));
    archive.m_dtBackup = DateTimeValue{39876.5, DateTimeValue::kValid};
    archive.m_strDeviceConfig = "0102";
    archive.m_strUserSoil = SoilTable({{1.0f, 0.5f, 0.0f, 0x80}});
    archive.m_strOrtvelSoil = SoilTable({{0.1f, 0.5f, 0.0f, 0x80}});
    archive.m_astrOtherNames = {"PRODUCTS.GR"};
    archive.m_astrOtherFiles = {"00FF"};
    archive.ScanProfiles();
    return archive;
}

}  // namespace vantrel::test
