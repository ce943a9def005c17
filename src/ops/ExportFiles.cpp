// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/ExportFiles.h"

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <system_error>
#include <utility>

#include "base/AsciiText.h"
#include "base/FileSystem.h"
#include "base/PathText.h"
#include "base/StringPrintf.h"
#include "data/AtomicFile.h"
#include "data/FolderLock.h"
#include "data/RegularFile.h"
#include "data/VantrelArchive.h"
#include "ops/ExistingExport.h"
#include "ops/ExportFileName.h"
#include "ops/TextLines.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// The file system's word for a file that another program holds open.
bool HeldError(const std::error_code& error) {
    return error == std::errc::device_or_resource_busy;
}

// Writes the file whole (`bytes`: a ByteSource, or the bytes themselves); on failure
// `result` says why.
template <typename Bytes>
bool WriteExportFile(const fs::path& path, const Bytes& bytes, ProfileExport& result) {
    try {
        WriteFileAtomically(path, bytes);
        return true;
    } catch (const std::system_error& error) {
        result.reason = error.code().message();
        result.held = HeldError(error.code());
        return false;
    }
}

bool StartsWithIgnoreCase(std::string_view text, size_t at, std::string_view block) {
    return at <= text.size() && EqualsIgnoringCase(text.substr(at, block.size()), block);
}

// Decides what an existing file gets; `addition` receives the readings it takes, when it
// takes any. Reads only the file's start and end.
ProfileOutcome MergeIntoExisting(ExistingExport& existing, const ExportBlocks& blocks,
                                 ExportFormat format, std::string_view& addition) {
    const std::string header = blocks.Header();
    // One character more than the header tells a file that holds nothing else.
    const std::string head = existing.Head(header.size() + 1);
    const std::string tail = existing.Tail(blocks.readings.size());
    if (existing.problem() != ExistingExport::Problem::None) return ProfileOutcome::Error;
    if (!StartsWithIgnoreCase(head, 0, blocks.site)) return ProfileOutcome::Error;
    if (!StartsWithIgnoreCase(head, blocks.site.size(), blocks.calibration)) {
        return ProfileOutcome::Error;
    }
    if (tail.size() == blocks.readings.size() && EqualsIgnoringCase(tail, blocks.readings)) {
        return ProfileOutcome::Unchanged;
    }
    const std::string_view formatWord =
        format == ExportFormat::Scaled ? std::string_view("Scaled") : "Calibrated";
    const size_t formatAt = blocks.site.size() + blocks.calibration.size();
    if (std::string_view(head).substr(std::min(formatAt, head.size()), formatWord.size()) !=
        formatWord) {
        return ProfileOutcome::Error;
    }
    // A file exported while the profile had no readings holds no time stamp to continue
    // from; it takes the whole readings block instead of never growing again.
    if (head.size() == header.size() && EqualsIgnoringCase(head, header)) {
        addition = blocks.readings;
        return ProfileOutcome::Appended;
    }
    addition = ReadingsAfter(blocks.readings, existing.LastReadingTime());
    return addition.empty() ? ProfileOutcome::NothingNew : ProfileOutcome::Appended;
}

// Reads what an existing file needs and, when it takes new readings, replaces it with a
// copy of its bytes followed by them. Only a regular file is opened: a folder cannot be,
// and a pipe of that name would block the export until some writer came. A file with a
// NUL byte where it was read is no export's text: adding to it would bury the readings
// where no spreadsheet finds them.
void MergeIntoFile(const fs::path& path, const ExportBlocks& blocks, ExportFormat format,
                   const ExportObserver& observer, ProfileExport& result) {
    std::error_code error;
    RegularFileReader file;
    if (KindOfFile(path, error) != FileKind::Regular) {
        result.outcome = ProfileOutcome::ReadFailed;
        return;
    }
    if (const std::error_code openError = file.Open(path)) {
        result.outcome = ProfileOutcome::ReadFailed;
        result.held = HeldError(openError);
        return;
    }
    ExistingExport existing(file);
    std::string_view addition;
    result.outcome = MergeIntoExisting(existing, blocks, format, addition);
    std::string bytes;
    if (result.outcome == ProfileOutcome::Appended) bytes = existing.AdditionOf(addition);
    switch (existing.problem()) {
        case ExistingExport::Problem::None:
            break;
        case ExistingExport::Problem::Unreadable:
            result.outcome = ProfileOutcome::ReadFailed;
            return;
        case ExistingExport::Problem::NotText:
            result.outcome = ProfileOutcome::NotText;
            result.reason = "it holds a NUL byte, so it is not text";
            return;
    }
    if (observer.examined) observer.examined();
    if (result.outcome != ProfileOutcome::Appended) return;
    const ByteSource grown = [&, source = existing.GrownBy(std::move(bytes))](std::string& piece) {
        if (observer.copying) observer.copying();
        return source(piece);
    };
    if (!WriteExportFile(path, grown, result)) {
        result.outcome = existing.problem() == ExistingExport::Problem::Unreadable
                             ? ProfileOutcome::ReadFailed
                             : ProfileOutcome::WriteFailed;
    }
}

}  // namespace

std::string FileHeldText(std::string_view path) {
    return std::string(path) + " is open in another program. Close it there and try again.";
}

ProfileExport ExportOneProfile(const CVantrelArchive& archive, int index, ExportFormat format,
                               std::string_view exportFile, const ExportObserver& observer) {
    ProfileExport result;
    result.profileNo = archive.GetProfileNo(index);
    result.path = ProfileFileName(exportFile, result.profileNo);
    if (!archive.HasData(index)) {
        result.outcome = ProfileOutcome::Error;
        return result;
    }
    const ExportBlocks blocks = BuildExportBlocks(archive, index, format);
    const fs::path path = PathFromUtf8(result.path);
    // The lock is on the folder of the file written, which for a link is its target's.
    const fs::path written = WriteTarget(path);
    if (observer.locking) observer.locking(written);
    const FolderLock lock(written);

    std::error_code ec;
    if (KindOfFile(path, ec) == FileKind::None) {
        result.outcome = WriteExportFile(path, ToCrLf(blocks.Whole()), result)
                             ? ProfileOutcome::Created
                             : ProfileOutcome::WriteFailed;
        return result;
    }
    MergeIntoFile(path, blocks, format, observer, result);
    return result;
}

ExportReport ExportProfiles(const CVantrelArchive& archive, const std::vector<int>& indexes,
                            ExportFormat format, std::string_view exportFile,
                            const ExportObserver& observer) {
    ExportReport report;
    report.exportPath = ExportFolderOf(exportFile);
    for (int index : indexes) {
        ProfileExport done = ExportOneProfile(archive, index, format, exportFile, observer);
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
