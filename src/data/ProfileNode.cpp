// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/ProfileNode.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "data/HexField.h"

namespace vantrel {
namespace {

// Offsets inside a reading record.
constexpr std::size_t kUnitsOffset = 0;
constexpr std::size_t kDepthOffsetOffset = 2;
constexpr std::size_t kSensorCountOffset = 3;
constexpr std::size_t kTimeOffset = 4;
constexpr std::size_t kWaterOffset = 8;
constexpr std::size_t kAirOffset = 12;
constexpr std::size_t kRawCountsOffset = 16;
constexpr std::size_t kCalibratedOffset = 64;
// Offset of the soil codes in a profile configuration file.
constexpr std::size_t kSoilCodesOffset = 8;

// Byte offset of a field of record r, or one that reads as absent for a negative r.
std::size_t RecordField(int r, std::size_t offset) {
    if (r < 0) return std::numeric_limits<std::size_t>::max();
    return static_cast<std::size_t>(r) * kReadingRecordBytes + offset;
}

bool IsSensorIndex(int sensor) {
    return sensor >= 0 && sensor < kMaxSensors;
}

}  // namespace

std::int32_t ParseProfileNumber(std::string_view text) {
    std::size_t k = 0;
    while (k < text.size() && std::isspace(static_cast<unsigned char>(text[k]))) ++k;
    bool negative = false;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) negative = text[k++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k) {
        value = std::min(value * 10 + (text[k] - '0'), kLimit);
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

CProfileNode::CProfileNode(std::string_view numberText, std::string dataText,
                           std::string configText)
    : m_nProfileNo(ParseProfileNumber(numberText)),
      m_strData(std::move(dataText)),
      m_strConfig(std::move(configText)) {}

int CProfileNode::GetRecordCount() const {
    const std::size_t records = (m_strData.size() / 2) / kReadingRecordBytes;
    return static_cast<int>(
        std::min<std::size_t>(records, static_cast<std::size_t>(std::numeric_limits<int>::max())));
}

bool CProfileNode::ScanReadings() {
    m_nReadings = GetRecordCount();
    for (int r = 0; r < m_nReadings; ++r) {
        const DateTimeValue t = GetReadingTime(r);
        if (m_dtFirst.days == 0.0 || IsEarlier(t, m_dtFirst)) m_dtFirst = t;
        if (m_dtLast.days == 0.0 || IsLater(t, m_dtLast)) m_dtLast = t;
    }
    return true;
}

int CProfileNode::GetUnitsFlag() const {
    return HexByte(m_strData, kUnitsOffset);
}

int CProfileNode::GetDepthOffset() const {
    return HexByte(m_strData, kDepthOffsetOffset);
}

int CProfileNode::GetSensorCount() const {
    return std::min<int>(HexByte(m_strData, kSensorCountOffset), kMaxSensors);
}

int CProfileNode::GetFirstDepth() const {
    if (!HasData()) return 0;
    return GetDepthStep() - GetDepthOffset();
}

int CProfileNode::GetLastDepth() const {
    if (!HasData()) return 0;
    return GetSensorCount() * GetDepthStep();
}

DateTimeValue CProfileNode::GetReadingTime(int r) const {
    return FromLoggerSeconds(HexI32(m_strData, RecordField(r, kTimeOffset)));
}

std::uint16_t CProfileNode::GetRawCount(int r, int sensor) const {
    if (!IsSensorIndex(sensor)) return 0;
    return HexU16(m_strData,
                  RecordField(r, kRawCountsOffset + 2 * static_cast<std::size_t>(sensor)));
}

float CProfileNode::GetScaledFrequency(int r, int sensor) const {
    const float air = HexFloat(m_strData, RecordField(r, kAirOffset));
    const float water = HexFloat(m_strData, RecordField(r, kWaterOffset));
    return ScaledFrequency(GetRawCount(r, sensor), air, water);
}

float CProfileNode::GetCalibratedValue(int r, int sensor) const {
    if (!IsSensorIndex(sensor)) return 0.0f;
    return HexFloat(m_strData,
                    RecordField(r, kCalibratedOffset + 4 * static_cast<std::size_t>(sensor)));
}

std::uint8_t CProfileNode::GetSoilCode(int sensor) const {
    if (!IsSensorIndex(sensor)) return 0;
    return HexByte(m_strConfig, kSoilCodesOffset + static_cast<std::size_t>(sensor));
}

float RawCountRatio(std::uint16_t rawCount) {
    return static_cast<float>((rawCount + 102000.0) / 171425582.0);
}

float ScaledFrequency(std::uint16_t rawCount, float air, float water) {
    const float ratio = RawCountRatio(rawCount);
    const double airD = air;
    return static_cast<float>((airD - static_cast<double>(ratio)) /
                              (airD - static_cast<double>(water)));
}

}  // namespace vantrel
