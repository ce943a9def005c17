// SPDX-License-Identifier: GPL-3.0-or-later
// The export's texts of one profile: units, depth header, soil coefficients, reading lines.

#include <algorithm>

#include "data/FloatText.h"
#include "data/VantrelArchive.h"

namespace vantrel {
namespace {

constexpr std::string_view kSeparator = ", ";

// The value of one cell of a reading line, shared by the lines and the numeric accessor.
float ReadingValue(const CProfileNode& node, int reading, int sensor, bool scaled) {
    return scaled ? node.GetScaledFrequency(reading, sensor)
                  : node.GetCalibratedValue(reading, sensor);
}

void AppendReadingLine(const CProfileNode& node, int reading, bool scaled, int sensors,
                       std::string& out) {
    AppendReadingStamp(out, node.GetReadingTime(reading));
    out += kSeparator;
    for (int s = 0; s < sensors; ++s) {
        if (s > 0) out += kSeparator;
        AppendFixed6(out, ReadingValue(node, reading, s, scaled));
    }
    out += '\n';
}

}  // namespace

std::string CVantrelArchive::GetUnitsText(int i) const {
    const CProfileNode& node = GetProfile(i);
    if (!node.HasData()) return " .. Profile is incomplete ..";
    return node.IsInches() ? "inches" : "cm";
}

std::string CVantrelArchive::GetDepthHeader(int i) const {
    const CProfileNode& node = GetProfile(i);
    std::string header;
    for (int s = 0; s < node.GetSensorCount(); ++s) {
        if (s > 0) header += kSeparator;
        header += GetDepthLabel(i, s);
    }
    return header;
}

std::string CVantrelArchive::GetDepthLabel(int i, int sensor) const {
    return std::to_string((sensor + 1) * GetProfile(i).GetDepthStep()) + GetUnitsText(i);
}

void CVantrelArchive::GetCalibration(int i, int sensor, std::string& a, std::string& b,
                                     std::string& c) const {
    const CProfileNode& node = GetProfile(i);
    const SoilCoefficients soil =
        GetSoilCoefficients(node.GetSoilCode(sensor), m_strUserSoil, m_strOrtvelSoil);
    switch (soil.status) {
        case SoilCoefficients::Status::Error:
            a = b = c = "Error";
            return;
        case SoilCoefficients::Status::Unused:
            a = b = c = "Unused";
            return;
        case SoilCoefficients::Status::InUse:
            a = FormatFixed6(soil.a);
            b = FormatFixed6(soil.b);
            c = FormatFixed6(soil.c);
            return;
    }
}

std::string CVantrelArchive::FormatReading(int i, int reading, bool scaled) const {
    const CProfileNode& node = GetProfile(i);
    if (reading < 0 || reading >= node.m_nReadings) {
        throw std::out_of_range("reading " + std::to_string(reading) + " outside 0 .. " +
                                std::to_string(std::int64_t{node.m_nReadings} - 1));
    }
    std::string line;
    AppendReadingLine(node, reading, scaled, node.GetSensorCount(), line);
    return line;
}

// Lines for the readings the data text really holds: a stored reading count larger than
// the whole records of the text (never written by this program) is bounded by the text.
void CVantrelArchive::AppendReadingLines(int i, bool scaled, std::string& out) const {
    const CProfileNode& node = GetProfile(i);
    const int readings = GetExportedReadingCount(i);
    const int sensors = node.GetSensorCount();
    // A stamp of 20 characters and up to 12 characters per value with its separator.
    out.reserve(out.size() +
                static_cast<std::size_t>(readings) * (24 + 12 * static_cast<std::size_t>(sensors)));
    for (int r = 0; r < readings; ++r) AppendReadingLine(node, r, scaled, sensors, out);
}

int CVantrelArchive::GetExportedReadingCount(int i) const {
    const CProfileNode& node = GetProfile(i);
    return std::max(0, std::min(node.m_nReadings, node.GetRecordCount()));
}

float CVantrelArchive::GetReadingValue(int i, int reading, int sensor, bool scaled) const {
    return ReadingValue(GetProfile(i), reading, sensor, scaled);
}

}  // namespace vantrel
