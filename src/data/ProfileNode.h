// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One profile of the logger: its data file (one 128-byte record per reading) and its
// configuration file, both as hex text, with the summary a backup keeps of them. The
// decoding reads the fields it needs straight from the hex text each time.

#include <cstdint>
#include <string>
#include <string_view>

#include "data/DateTime.h"

namespace vantrel {

// A reading record holds at most this many sensors. A record announcing more is treated
// as holding exactly this many, so that the depth header, the coefficient lists and the
// reading lines keep the same columns and nothing is read past the record.
inline constexpr int kMaxSensors = 16;
// Bytes of one reading record of a profile data file.
inline constexpr std::size_t kReadingRecordBytes = 128;

class CProfileNode {
public:
    CProfileNode() = default;
    // The profile number is read from `numberText` like atoi: leading white space, one
    // sign, the digits up to the first other character; 0 when no digit comes first.
    CProfileNode(std::string_view numberText, std::string dataText, std::string configText);

    // Counts the whole reading records of the data text and widens m_dtFirst / m_dtLast
    // to the earliest and latest reading time (the dates are not reset first).
    bool ScanReadings();

    // Whole reading records present in the data text (independent of m_nReadings).
    int GetRecordCount() const;
    bool HasData() const { return !m_strData.empty(); }

    // Fields of the first record that stand for the whole profile.
    int GetUnitsFlag() const;  // 0 = centimetres, anything else = inches
    bool IsInches() const { return GetUnitsFlag() != 0; }
    int GetDepthOffset() const;
    // Sensor count of the first record, limited to kMaxSensors; 0 without data.
    int GetSensorCount() const;
    int GetDepthStep() const { return IsInches() ? 4 : 10; }
    int GetFirstDepth() const;
    int GetLastDepth() const;

    // Decoding of reading record r; a record or field missing from the text reads as 0.
    DateTimeValue GetReadingTime(int r) const;
    std::uint16_t GetRawCount(int r, int sensor) const;
    float GetScaledFrequency(int r, int sensor) const;
    float GetCalibratedValue(int r, int sensor) const;

    // Soil code of a sensor: byte 8 + sensor of the configuration text (0 when absent).
    std::uint8_t GetSoilCode(int sensor) const;

    std::int32_t m_nProfileNo = 0;
    DateTimeValue m_dtFirst;
    DateTimeValue m_dtLast;
    std::int32_t m_nReadings = 0;
    std::string m_strData;
    std::string m_strConfig;

    friend bool operator==(const CProfileNode&, const CProfileNode&) = default;
};

// The atoi-like conversion of a profile number text (saturating instead of overflowing).
std::int32_t ParseProfileNumber(std::string_view text);

// R: the raw count of a sensor as the fraction the scaled frequency works with.
float RawCountRatio(std::uint16_t rawCount);
// The scaled frequency of a raw count against the record's air and water references.
// Equal references give an infinite or undefined value, which is kept as it is.
float ScaledFrequency(std::uint16_t rawCount, float air, float water);

// The soil coefficients of one sensor, taken from one of the two soil tables.
struct SoilCoefficients {
    enum class Status { Error, Unused, InUse };
    Status status = Status::Error;
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
};

// Soil code 0x01-0x63 selects record s of the user table, 0x9D-0xFF record -(signed s)
// of the Ortvel table, any other code no table (Error). A record whose flags byte has
// bit 0x80 clear is Unused. Fields beyond the end of a table read as 0, so a record
// past the end of its table is Unused.
SoilCoefficients GetSoilCoefficients(std::uint8_t soilCode, std::string_view userSoil,
                                     std::string_view ortvelSoil);

}  // namespace vantrel
