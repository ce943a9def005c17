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

// The reading time at the start of a line: its text before the first ",".
DateTimeValue StampOf(std::string_view line) {
    const size_t comma = line.find(',');
    if (comma == std::string_view::npos) return DateTimeValue{0.0, DateTimeValue::kInvalid};
    return ParseReadingStamp(line.substr(0, comma));
}

}  // namespace

std::string_view ExportFormatCaption(ExportFormat format) {
    return format == ExportFormat::Scaled ? "Scaled Frequency Readings"
                                          : "Calibrated Moisture Readings";
}

ExportBlocks BuildExportBlocks(const CVantrelArchive& archive, int index, ExportFormat format) {
    const std::string depthHeader = archive.GetDepthHeader(index);
    ExportBlocks blocks;
    blocks.site = "Site#:, " + std::to_string(archive.GetProfileNo(index)) + "\nDepths:, " +
                  std::to_string(archive.GetFirstDepth(index)) + " - " +
                  std::to_string(archive.GetLastDepth(index)) + archive.GetUnitsText(index) +
                  "\n\n";
    blocks.calibration =
        "Calibration, " + depthHeader + "\nA:, " + JoinCalibration(archive, index, 0) + "\nB:, " +
        JoinCalibration(archive, index, 1) + "\nC:, " + JoinCalibration(archive, index, 2) + "\n\n";
    blocks.formatHeader =
        std::string(ExportFormatCaption(format)) + "\nTime, " + depthHeader + "\n";
    archive.AppendReadingLines(index, format == ExportFormat::Scaled, blocks.readings);
    return blocks;
}

bool AppendNewReadings(std::string& existing, std::string_view readings) {
    // The last timed line is the one holding the text's last ":" (the time's colons).
    const size_t colon = existing.rfind(':');
    const std::string_view beforeColon = colon == std::string::npos
                                             ? std::string_view{}
                                             : std::string_view(existing).substr(0, colon);
    const size_t lineEnd = beforeColon.rfind('\n');
    const size_t lastLineStart = lineEnd == std::string_view::npos ? 0 : lineEnd + 1;
    const DateTimeValue lastTime = StampOf(std::string_view(existing).substr(lastLineStart));
    if (!lastTime.IsValid()) return false;

    while (!readings.empty()) {
        const size_t end = readings.find('\n');
        const std::string_view line = readings.substr(0, end);
        const std::string_view rest =
            end == std::string_view::npos ? std::string_view{} : readings.substr(end + 1);
        if (IsLater(StampOf(line), lastTime)) {
            existing.append(line);
            existing += '\n';
            existing.append(rest);
            return true;
        }
        readings = rest;
    }
    return false;
}

}  // namespace vantrel
