// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of one profile's export file, and the merge of new readings into an old one.

#include <string>
#include <string_view>

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

// Builds the blocks of profile `index` of the archive in the given format.
ExportBlocks BuildExportBlocks(const CVantrelArchive& archive, int index, ExportFormat format);

// Appends to `existing` the readings of `readings` from the first one that is strictly
// later than the last time-stamped line of `existing`. Returns true when it appended
// something; `existing` is unchanged otherwise (also when that last stamp cannot be read).
bool AppendNewReadings(std::string& existing, std::string_view readings);

}  // namespace vantrel
