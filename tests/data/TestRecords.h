// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builders of the logger's files as hex text, and of small archives, for the data tests.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/VantrelArchive.h"

namespace vantrel::test {

// One 128-byte reading record of a profile data file.
struct ReadingRecord {
    std::uint8_t units = 0;
    std::uint8_t depthOffset = 0;
    std::uint8_t sensors = 0;
    std::int32_t seconds = 0;
    float water = 0.0f;
    float air = 0.0f;
    std::array<std::uint16_t, 16> raw{};
    std::array<float, 16> calibrated{};

    std::vector<std::uint8_t> Bytes() const;
};

// One 16-byte record of a soil table.
struct SoilRecord {
    float a = 0.0f;
    float inverseB = 0.0f;
    float c = 0.0f;
    std::uint8_t flags = 0;

    std::vector<std::uint8_t> Bytes() const;
};

std::string Hex(const std::vector<std::uint8_t>& bytes, bool upperCase = true);
std::string DataText(const std::vector<ReadingRecord>& records, bool upperCase = true);
std::string SoilTable(const std::vector<SoilRecord>& records);
// A configuration text whose soil codes (bytes 8 ...) are `codes`.
std::string ConfigText(const std::vector<std::uint8_t>& codes);

// Bytes of a stored archive as a vector, and little-endian pieces to splice into them.
std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts);
std::vector<std::uint8_t> U16(std::uint16_t value);
std::vector<std::uint8_t> U32(std::uint32_t value);
std::vector<std::uint8_t> Ascii(std::string_view text);

// A small archive with two profiles, soil tables and other files.
CVantrelArchive SmallArchive();

}  // namespace vantrel::test
