// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the decoding of profile data files, profile configuration files and the two
// soil tables, and every text of the export built from them. The input gives the two soil
// tables and up to four profiles (number text, data file, configuration file), each as raw
// bytes turned into hex text in upper or lower case, cut to an odd length, or taken as it
// is. Decoding must never read outside the texts, and the texts must agree with each
// other: one reading line per reading with one value per sensor, a line of FormatReading
// equal to the same line of the readings block, and a time stamp that reads back as the
// reading's time.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "data/DateTime.h"
#include "data/VantrelArchive.h"

namespace vantrel {
namespace {

using fuzz::FuzzInput;

constexpr int kMaxProfiles = 4;
constexpr std::string_view kSeparator = ", ";
constexpr std::size_t kStampLength = 20;

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

std::size_t Count(std::string_view text, std::string_view what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + what.size()))
        ++count;
    return count;
}

void CheckHeaderTexts(const CVantrelArchive& archive, int i) {
    const CProfileNode& node = archive.GetProfile(i);
    const int sensors = archive.GetSensorCount(i);
    Require(sensors >= 0 && sensors <= kMaxSensors);
    Require(node.HasData() || sensors == 0);

    const std::string units = archive.GetUnitsText(i);
    Require(node.HasData() ? (units == (node.IsInches() ? "inches" : "cm"))
                           : units == " .. Profile is incomplete ..");
    const std::string header = archive.GetDepthHeader(i);
    Require(header.empty() == (sensors == 0));
    if (sensors > 0) {
        Require(Count(header, kSeparator) == static_cast<std::size_t>(sensors - 1));
        Require(header.ends_with(std::to_string(sensors * archive.GetDepthStep(i)) + units));
    }
    Require(archive.GetLastDepth(i) == (node.HasData() ? sensors * archive.GetDepthStep(i) : 0));
    archive.GetFirstDepth(i);

    // Sensors outside the record read as having no soil code: "Error".
    for (int s = -1; s <= sensors; ++s) {
        std::string a, b, c;
        archive.GetCalibration(i, s, a, b, c);
        if (s < 0 || s >= kMaxSensors) Require(a == "Error");
        const bool words = a == "Error" || a == "Unused";
        Require(words ? (b == a && c == a) : (!a.empty() && !b.empty() && !c.empty()));
    }
}

void CheckReadingLines(const CVantrelArchive& archive, int i, bool scaled) {
    const CProfileNode& node = archive.GetProfile(i);
    const int sensors = archive.GetSensorCount(i);
    std::string lines = "kept";  // the block is appended to what the text already holds
    archive.AppendReadingLines(i, scaled, lines);
    Require(lines.starts_with("kept"));
    const std::string_view block = std::string_view(lines).substr(4);
    const int readings = std::max(0, std::min(node.m_nReadings, node.GetRecordCount()));
    Require(Count(block, "\n") == static_cast<std::size_t>(readings));

    std::size_t lineStart = 0;
    for (int r = 0; r < readings; ++r) {
        const std::size_t lineEnd = block.find('\n', lineStart);
        const std::string_view line = block.substr(lineStart, lineEnd - lineStart + 1);
        lineStart = lineEnd + 1;
        Require(archive.FormatReading(i, r, scaled) == line);
        // The time, ", " and the values joined with ", " (the separator stays without values).
        Require(Count(line, kSeparator) == static_cast<std::size_t>(std::max(sensors, 1)));
        // The stamp reads back as the reading's time, rounded to the second.
        const auto civil = ToCivil(node.GetReadingTime(r));
        Require(civil.has_value() && line.size() > kStampLength);
        Require(ParseReadingStamp(line.substr(0, kStampLength)) == FromCivil(*civil));
    }
}

void CheckFormatReadingBounds(const CVantrelArchive& archive, int i) {
    const std::int32_t readings = archive.GetReadingCount(i);
    for (const int r : {-1, readings}) {
        bool threw = false;
        try {
            archive.FormatReading(i, r, false);
        } catch (const std::out_of_range&) {
            threw = true;
        }
        Require(threw);
    }
    // A reading the stored count names but the text does not hold reads as zero fields.
    if (readings > archive.GetProfile(i).GetRecordCount()) {
        const std::string line = archive.FormatReading(i, readings - 1, true);
        Require(line.ends_with("\n"));
    }
}

}  // namespace
}  // namespace vantrel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    FuzzInput input(data, size);
    const std::uint8_t flags = input.Byte();
    CVantrelArchive archive;
    archive.m_strUserSoil = fuzz::HexText(input.Section(), flags);
    archive.m_strOrtvelSoil = fuzz::HexText(input.Section(), flags >> 2);
    while (!input.Empty() && archive.GetProfileCount() < kMaxProfiles) {
        const std::string_view number = input.Bytes(input.Byte() % 16);
        // The number reads like atoi, saturating instead of overflowing.
        const long long parsed = std::strtoll(std::string(number).c_str(), nullptr, 10);
        Require(ParseProfileNumber(number) ==
                std::clamp<long long>(parsed, std::numeric_limits<std::int32_t>::min(),
                                      std::numeric_limits<std::int32_t>::max()));
        const std::uint8_t styles = input.Byte();
        std::string dataText = fuzz::HexText(input.Section(), styles);
        std::string configText = fuzz::HexText(input.Section(), styles >> 2);
        archive.AddProfile(number, std::move(dataText), std::move(configText));
    }
    archive.ScanProfiles();
    // A stored reading count that disagrees with the text, as a backup file may hold.
    if ((flags & 0x10) != 0 && archive.GetProfileCount() > 0) {
        archive.m_profiles.back().m_nReadings = static_cast<std::int32_t>(input.U32());
    }

    for (int i = 0; i < archive.GetProfileCount(); ++i) {
        const CProfileNode& node = archive.GetProfile(i);
        if (node.m_nReadings > 0 && node.m_nReadings == node.GetRecordCount()) {
            Require(!IsEarlier(node.m_dtFirst, archive.m_dtFrom));
            Require(!IsLater(node.m_dtLast, archive.m_dtTo));
            Require(!IsLater(node.m_dtFirst, node.m_dtLast));
        }
        std::string dataText, configText;
        Require(archive.GetProfileFiles(i, dataText, configText) == archive.GetProfileNo(i));
        Require(dataText == node.m_strData && configText == node.m_strConfig);
        Require(archive.HasData(i) == !dataText.empty());
        CheckHeaderTexts(archive, i);
        CheckReadingLines(archive, i, false);
        CheckReadingLines(archive, i, true);
        CheckFormatReadingBounds(archive, i);
    }
    return 0;
}
