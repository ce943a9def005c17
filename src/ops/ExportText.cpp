// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/ExportText.h"

#include "data/DateTime.h"
#include "data/VantrelArchive.h"

namespace vantrel {
namespace {

std::string JoinCalibration(const CVantrelArchive& archive, int index, int which) {
    std::string list;
    const int sensors = archive.GetSensorCount(index);
    for (int s = 0; s < sensors; ++s) {
        std::string abc[3];
        archive.GetCalibration(index, s, abc[0], abc[1], abc[2]);
        if (s > 0) list += ", ";
        list += abc[which];
    }
    return list;
}

}  // namespace

std::string_view ExportFormatCaption(ExportFormat format) {
    return format == ExportFormat::Scaled ? "Scaled Frequency Readings"
                                          : "Calibrated Moisture Readings";
}

std::string ExportSiteBlock(const CVantrelArchive& archive, int index) {
    return "Site#:, " + std::to_string(archive.GetProfileNo(index)) + "\nDepths:, " +
           std::to_string(archive.GetFirstDepth(index)) + " - " +
           std::to_string(archive.GetLastDepth(index)) + archive.GetUnitsText(index) + "\n\n";
}

std::string ExportCalibrationBlock(const CVantrelArchive& archive, int index) {
    return "Calibration, " + archive.GetDepthHeader(index) + "\nA:, " +
           JoinCalibration(archive, index, 0) + "\nB:, " + JoinCalibration(archive, index, 1) +
           "\nC:, " + JoinCalibration(archive, index, 2) + "\n\n";
}

ExportBlocks BuildExportBlocks(const CVantrelArchive& archive, int index, ExportFormat format) {
    ExportBlocks blocks;
    blocks.site = ExportSiteBlock(archive, index);
    blocks.calibration = ExportCalibrationBlock(archive, index);
    blocks.formatHeader = std::string(ExportFormatCaption(format)) + "\nTime, " +
                          archive.GetDepthHeader(index) + "\n";
    archive.AppendReadingLines(index, format == ExportFormat::Scaled, blocks.readings);
    return blocks;
}

DateTimeValue ReadingTimeOf(std::string_view line) {
    const size_t comma = line.find(',');
    if (comma == std::string_view::npos) return DateTimeValue{0.0, DateTimeValue::kInvalid};
    return ParseReadingStamp(line.substr(0, comma));
}

std::string_view ReadingsAfter(std::string_view readings, const DateTimeValue& last) {
    if (!last.IsValid()) return {};
    for (size_t start = 0; start < readings.size();) {
        const size_t end = readings.find('\n', start);
        if (IsLater(ReadingTimeOf(readings.substr(start, end - start)), last)) {
            return readings.substr(start);
        }
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return {};
}

}  // namespace vantrel
