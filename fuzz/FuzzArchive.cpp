// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: any bytes given to the backup file reader either load or fail with
// ArchiveError; a loaded archive stores, loads and stores again to the same bytes, and
// its export texts can be produced without reading outside its texts.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "data/VantrelArchive.h"

namespace {

void RenderTexts(const vantrel::CVantrelArchive& archive) {
    std::string a, b, c, lines;
    const int profiles = std::min(archive.GetProfileCount(), 8);
    for (int i = 0; i < profiles; ++i) {
        archive.GetUnitsText(i);
        archive.GetDepthHeader(i);
        archive.GetFirstDepth(i);
        archive.GetLastDepth(i);
        for (int s = 0; s < archive.GetSensorCount(i); ++s) archive.GetCalibration(i, s, a, b, c);
        lines.clear();
        archive.AppendReadingLines(i, i % 2 == 0, lines);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vantrel::CVantrelArchive archive;
    try {
        archive = vantrel::CVantrelArchive::Load(std::span<const std::uint8_t>(data, size));
    } catch (const vantrel::ArchiveError&) {
        return 0;
    }
    const std::vector<std::uint8_t> stored = archive.Store();
    const std::vector<std::uint8_t> again = vantrel::CVantrelArchive::Load(stored).Store();
    if (stored != again) std::abort();
    RenderTexts(archive);
    return 0;
}
