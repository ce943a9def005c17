// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/ExportFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <numeric>
#include <system_error>
#include <utility>

#include "base/AsciiText.h"
#include "base/PathText.h"
#include "base/StringPrintf.h"
#include "data/AtomicFile.h"
#include "data/FolderLock.h"
#include "data/RegularFile.h"
#include "data/VantrelArchive.h"
#include "ops/ExportFileName.h"
#include "ops/TextLines.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// The file system's word for a file that another program holds open.
bool HeldError(const std::error_code& error) {
    return error == std::errc::device_or_resource_busy;
}

// Writes the file; on failure `result` says why.
bool WriteExportFile(const fs::path& path, std::string_view text, ProfileExport& result) {
    try {
        WriteFileAtomically(path, ToCrLf(text));
        return true;
    } catch (const std::system_error& error) {
        result.reason = error.code().message();
        result.held = HeldError(error.code());
        return false;
    }
}

struct ExistingFile {
    enum class State { Read, Unreadable, NotText };
    State state = State::Unreadable;
    std::string text;    // Read: the file with LF line ends
    std::string reason;  // NotText: what the file is
    bool held = false;   // Unreadable: another program has it open
};

// Only a regular file is read: a folder cannot be, and a pipe of that name would block
// the export until some writer came. A file larger than kMaxExportFileBytes is refused
// unread, and one holding a NUL byte once read: neither is an export's text, and appending
// to it would bury the readings where no spreadsheet finds them.
ExistingFile ReadExportFile(const fs::path& path) {
    ExistingFile file;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return file;
    RegularFileReader reader;
    if (const std::error_code error = reader.Open(path)) {
        file.held = HeldError(error);
        return file;
    }
    std::string bytes;
    bool readWhole = true;
    if (reader.Size() <= kMaxExportFileBytes) {
        // The size is where reading starts from; a file that grows meanwhile is read on, up
        // to one byte past the bound.
        bytes.resize(static_cast<std::size_t>(reader.Size()) + 1);
        std::size_t filled = 0;
        for (;;) {
            if (filled == bytes.size()) {
                if (filled > kMaxExportFileBytes) break;
                bytes.resize(std::min<std::size_t>(2 * filled, kMaxExportFileBytes + 1));
            }
            std::size_t got = 0;
            const std::error_code error =
                reader.Read(bytes.data() + filled, bytes.size() - filled, got);
            if (error || got == 0) {
                readWhole = !error;
                break;
            }
            filled += got;
        }
        bytes.resize(filled);
    }
    if (!readWhole) return file;
    const auto size = std::max<std::uint64_t>(reader.Size(), bytes.size());
    if (size > kMaxExportFileBytes) {
        file.state = ExistingFile::State::NotText;
        file.reason = "it is larger than any export file (" + std::to_string(size) + " bytes)";
    } else if (bytes.find('\0') != std::string::npos) {
        file.state = ExistingFile::State::NotText;
        file.reason = "it holds a NUL byte, so it is not text";
    } else {
        file.state = ExistingFile::State::Read;
        file.text = NormaliseLineEnds(bytes);
    }
    return file;
}

bool StartsWithIgnoreCase(std::string_view text, size_t at, std::string_view block) {
    return at <= text.size() && EqualsIgnoringCase(text.substr(at, block.size()), block);
}

bool EndsWithIgnoreCase(std::string_view text, std::string_view block) {
    return text.size() >= block.size() &&
           EqualsIgnoringCase(text.substr(text.size() - block.size()), block);
}

// Decides what an existing file E gets; appends to E when it takes new readings.
ProfileOutcome MergeIntoExisting(std::string& existing, const ExportBlocks& blocks,
                                 ExportFormat format) {
    if (!StartsWithIgnoreCase(existing, 0, blocks.site)) return ProfileOutcome::Error;
    if (!StartsWithIgnoreCase(existing, blocks.site.size(), blocks.calibration)) {
        return ProfileOutcome::Error;
    }
    if (EndsWithIgnoreCase(existing, blocks.readings)) return ProfileOutcome::Unchanged;

    const std::string_view formatWord =
        format == ExportFormat::Scaled ? std::string_view("Scaled") : "Calibrated";
    const size_t formatAt = blocks.site.size() + blocks.calibration.size();
    if (std::string_view(existing).substr(std::min(formatAt, existing.size()), formatWord.size()) !=
        formatWord) {
        return ProfileOutcome::Error;
    }
    // A file exported while the profile had no readings holds no time stamp to continue
    // from; it takes the whole readings block instead of never growing again.
    if (EqualsIgnoringCase(existing, blocks.Header())) {
        existing += blocks.readings;
        return ProfileOutcome::Appended;
    }
    return AppendNewReadings(existing, blocks.readings) ? ProfileOutcome::Appended
                                                        : ProfileOutcome::NothingNew;
}

}  // namespace

std::string FileHeldText(std::string_view path) {
    return std::string(path) + " is open in another program. Close it there and try again.";
}

ProfileExport ExportOneProfile(const CVantrelArchive& archive, int index, ExportFormat format,
                               std::string_view exportFile) {
    ProfileExport result;
    result.profileNo = archive.GetProfileNo(index);
    result.path = ProfileFileName(exportFile, result.profileNo);
    if (!archive.HasData(index)) {
        result.outcome = ProfileOutcome::Error;
        return result;
    }
    const ExportBlocks blocks = BuildExportBlocks(archive, index, format);
    const fs::path path = PathFromUtf8(result.path);
    const FolderLock lock(WriteTarget(path));

    std::error_code ec;
    if (!fs::exists(path, ec)) {
        result.outcome = WriteExportFile(path, blocks.Whole(), result)
                             ? ProfileOutcome::Created
                             : ProfileOutcome::WriteFailed;
        return result;
    }
    ExistingFile existing = ReadExportFile(path);
    if (existing.state != ExistingFile::State::Read) {
        result.outcome = existing.state == ExistingFile::State::NotText
                             ? ProfileOutcome::NotText
                             : ProfileOutcome::ReadFailed;
        result.reason = std::move(existing.reason);
        result.held = existing.held;
        return result;
    }
    result.outcome = MergeIntoExisting(existing.text, blocks, format);
    if (result.outcome == ProfileOutcome::Appended &&
        !WriteExportFile(path, existing.text, result)) {
        result.outcome = ProfileOutcome::WriteFailed;
    }
    return result;
}

ExportReport ExportProfiles(const CVantrelArchive& archive, const std::vector<int>& indexes,
                            ExportFormat format, std::string_view exportFile) {
    ExportReport report;
    report.exportPath = ExportFolderOf(exportFile);
    for (int index : indexes) {
        ProfileExport done = ExportOneProfile(archive, index, format, exportFile);
        report.profiles.push_back(done);
        switch (done.outcome) {
            case ProfileOutcome::Created:
                report.lists.created.push_back(done.profileNo);
                break;
            case ProfileOutcome::Appended:
                report.lists.appended.push_back(done.profileNo);
                break;
            case ProfileOutcome::Unchanged:
                report.lists.unchanged.push_back(done.profileNo);
                break;
            case ProfileOutcome::Error:
                report.lists.errors.push_back(done.profileNo);
                break;
            case ProfileOutcome::NothingNew:
                break;
            case ProfileOutcome::NotText:
                report.lists.errors.push_back(done.profileNo);
                report.lists.notText.push_back(StringPrintf("Profile %02d: ", done.profileNo) +
                                               done.path + " (" + done.reason + ")");
                break;
            case ProfileOutcome::WriteFailed:
                // The system's reason on a second line, as the backup's message has it.
                report.fatalError =
                    std::string(kErrorOpeningForWritingText) + "\n" +
                    (done.held ? FileHeldText(done.path) : done.reason + ": " + done.path);
                return report;
            case ProfileOutcome::ReadFailed:
                report.fatalError = kErrorOpeningForReadingText;
                if (done.held) report.fatalError += "\n" + FileHeldText(done.path);
                return report;
        }
    }
    return report;
}

std::vector<int> ProfileIndexesInRowOrder(const CVantrelArchive& archive) {
    std::vector<int> indexes(static_cast<size_t>(archive.GetProfileCount()));
    std::iota(indexes.begin(), indexes.end(), 0);
    std::stable_sort(indexes.begin(), indexes.end(), [&archive](int a, int b) {
        return archive.GetProfileNo(a) < archive.GetProfileNo(b);
    });
    return indexes;
}

}  // namespace vantrel
