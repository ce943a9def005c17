// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of one profile's export file, and the readings an old one has not got yet.

#include <string>
#include <string_view>

#include "data/DateTime.h"

namespace vantrel {

class CVantrelArchive;

// 0 = calibrated moisture readings, 1 = scaled frequency readings (the dialog's m_nFormat).
enum class ExportFormat { Calibrated = 0, Scaled = 1 };

// "Calibrated Moisture Readings" / "Scaled Frequency Readings": the heading of the
// readings block, also the caption of a chart of the same readings.
std::string_view ExportFormatCaption(ExportFormat format);

// The four blocks of an export file, "\n" line ends.
struct ExportBlocks {
    std::string site;
    std::string calibration;
    std::string formatHeader;
    std::string readings;

    std::string Header() const { return site + calibration + formatHeader; }
    std::string Whole() const { return Header() + readings; }
};

// The site block ("Site#:, 3\nDepths:, 10 - 20cm\n\n") and the calibration block
// ("Calibration, 10cm, 20cm\nA:, ...\nB:, ...\nC:, ...\n\n") of profile `index`.
std::string ExportSiteBlock(const CVantrelArchive& archive, int index);
std::string ExportCalibrationBlock(const CVantrelArchive& archive, int index);

// Builds the blocks of profile `index` of the archive in the given format.
ExportBlocks BuildExportBlocks(const CVantrelArchive& archive, int index, ExportFormat format);

// The time of a reading line: its text before the first ","; invalid when it has no ","
// or that text is no time.
DateTimeValue ReadingTimeOf(std::string_view line);

// The new readings for a file whose last reading is at `last`: the lines of `readings`
// from the first one strictly later than `last` to the end, whatever their times; empty
// when none is later or `last` is not valid.
std::string_view ReadingsAfter(std::string_view readings, const DateTimeValue& last);

}  // namespace vantrel
