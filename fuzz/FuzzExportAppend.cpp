// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: an export into a file that already exists. The first byte chooses:
//  - even: ReadingsAfter on a time and a readings block both from the input: what it gives
//    is the block from the start of one of its lines, the first later than the time.
//  - odd: a profile from the input (number, data and configuration files as hex text, a
//    user soil table) is exported into a file that already holds, as the input chooses,
//    the profile's own header blocks (in either format, either letter case), some of its
//    own reading lines, and any further text from the input, with LF or CR LF line ends.
//    A file only ever grows by new lines after its old bytes, and a file that is not
//    appended to keeps its bytes.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "ScratchFolder.h"
#include "data/DateTime.h"
#include "data/VantrelArchive.h"
#include "ops/ExportFileName.h"
#include "ops/ExportFiles.h"
#include "ops/ExportText.h"
#include "ops/TextLines.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using fuzz::FuzzInput;

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// ---- ReadingsAfter on its own ---------------------------------------------------------------

// The new readings after a time read from the input: a tail of the block that starts at a
// line, whose first line is later than that time and whose lines before it are not.
void CheckReadingsAfter(std::string_view stampLine, std::string_view readings) {
    const DateTimeValue last = ReadingTimeOf(stampLine);
    const std::string_view after = ReadingsAfter(readings, last);
    if (after.empty()) return;
    Require(last.IsValid() && readings.ends_with(after));
    const std::size_t start = readings.size() - after.size();
    Require(start == 0 || readings[start - 1] == '\n');
    Require(IsLater(ReadingTimeOf(after.substr(0, after.find('\n'))), last));
    for (std::size_t at = 0; at < start;) {
        const std::size_t end = readings.find('\n', at);
        Require(!IsLater(ReadingTimeOf(readings.substr(at, end - at)), last));
        at = end + 1;
    }
}

// ---- through the files ---------------------------------------------------------------------

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The first `count` lines of `block` (all of it when it has fewer).
std::string_view FirstLines(std::string_view block, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t k = 0; k < count && end < block.size(); ++k) {
        const std::size_t lineEnd = block.find('\n', end);
        end = lineEnd == std::string_view::npos ? block.size() : lineEnd + 1;
    }
    return block.substr(0, end);
}

void ExportIntoExistingFile(FuzzInput& input) {
    const std::uint8_t choice = input.Byte();
    const std::uint8_t styles = input.Byte();
    CVantrelArchive archive;
    archive.m_strUserSoil = fuzz::HexText(input.Section(), styles >> 4);
    const std::string_view number = input.Bytes(input.Byte() % 8);
    std::string dataText = fuzz::HexText(input.Section(), styles);
    std::string configText = fuzz::HexText(input.Section(), styles >> 2);
    archive.AddProfile(number, std::move(dataText), std::move(configText));
    archive.ScanProfiles();

    const auto format = (choice & 1) != 0 ? ExportFormat::Scaled : ExportFormat::Calibrated;
    const auto fileFormat = (choice & 2) != 0 ? ExportFormat::Scaled : ExportFormat::Calibrated;
    const ExportBlocks fileBlocks = BuildExportBlocks(archive, 0, fileFormat);
    std::string text;
    if ((choice & 4) != 0) {
        text = (choice & 8) != 0 ? Lower(fileBlocks.Header()) : fileBlocks.Header();
    }
    text += FirstLines(fileBlocks.readings, input.Byte());
    text += input.Section();
    const std::string bytes = (choice & 16) != 0 ? ToCrLf(text) : text;

    const std::string exportFile = (fuzz::ScratchFolder() / "Export.csv").string();
    const fs::path path = ProfileFileName(exportFile, archive.GetProfileNo(0));
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) std::abort();
    }

    const ProfileExport done = ExportOneProfile(archive, 0, format, exportFile);
    Require(done.path == path.string());
    const std::string after = ReadFile(path);
    switch (done.outcome) {
        case ProfileOutcome::Appended: {
            // The old bytes as they were, then the new lines in the file's own line ends.
            const std::string old = NormaliseLineEnds(bytes);
            const std::string now = NormaliseLineEnds(after);
            Require(after.starts_with(bytes));
            Require(now.size() > old.size() && now.starts_with(old));
            // What was added is the end of the readings block of the format exported.
            const std::string readings = BuildExportBlocks(archive, 0, format).readings;
            Require(readings.ends_with(now.substr(old.size())));
            break;
        }
        case ProfileOutcome::Unchanged:
        case ProfileOutcome::NothingNew:
        case ProfileOutcome::Error:
            Require(after == bytes);
            break;
        case ProfileOutcome::NotText:
            // Only a NUL byte makes so small a file one that is not text.
            Require(after == bytes && bytes.find('\0') != std::string::npos);
            break;
        case ProfileOutcome::Created:
        case ProfileOutcome::WriteFailed:
        case ProfileOutcome::ReadFailed:
            __builtin_trap();  // the file exists and the folder is writable
    }
    fs::remove(path);
}

}  // namespace
}  // namespace vantrel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    FuzzInput input(data, size);
    if (input.Byte() % 2 == 0) {
        const std::string_view stampLine = input.Section();
        CheckReadingsAfter(stampLine, input.Rest());
    } else {
        ExportIntoExistingFile(input);
    }
    return 0;
}
