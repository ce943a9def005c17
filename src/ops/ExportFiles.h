// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Exporting the profiles of a backup to comma-separated files, one file per profile: a new
// file for a profile not exported before, else the readings the old file does not hold.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ops/ExportText.h"

namespace vantrel {

class CVantrelArchive;

inline constexpr std::string_view kErrorOpeningForWritingText = "Error opening file for writing";
inline constexpr std::string_view kErrorOpeningForReadingText = "Error opening file for reading";

// The line under either of those when another program holds the file (on Windows, a
// spreadsheet that shows it keeps it open without sharing it).
std::string FileHeldText(std::string_view path);

enum class ProfileOutcome {
    Created,      // a new file was written
    Appended,     // the old file took the readings it did not hold
    Unchanged,    // the old file already ends with the profile's readings
    NothingNew,   // the old file holds no earlier last reading; left as it was, listed nowhere
    Error,        // incomplete profile, or an old file that does not match; left as it was
    NotText,      // an old file with a NUL byte where it was read; left as it was, the
                  // export goes on
    WriteFailed,  // the file could not be written: ends the whole export
    ReadFailed,   // the old file could not be read: ends the whole export
};

struct ProfileExport {
    int profileNo = 0;
    std::string path;
    ProfileOutcome outcome = ProfileOutcome::Error;
    std::string reason;  // WriteFailed: why, in the system's words; NotText: what the file is
    bool held = false;   // WriteFailed, ReadFailed: another program has the file open
};

// Test seam: the moments at which a test makes two exports meet, or ends one. `locking`
// gets the file whose folder is about to be locked; `examined` runs once an existing file
// has been read, with the lock held, before anything is written; `copying` runs before each
// piece of the file that replaces an existing one is read.
struct ExportObserver {
    std::function<void(const std::filesystem::path& lockedFile)> locking;
    std::function<void()> examined;
    std::function<void()> copying;
};

// Exports profile `index` to its file beside `exportFile` (see ProfileFileName). A new
// file is written whole and put in place atomically. An existing file is read only at its
// start and its end, in memory of bounded size however large it is; when it takes new
// readings, a copy of its bytes (read a piece at a time) followed by them replaces it
// atomically, so that a failure or a kill at any moment leaves it as it was.
ProfileExport ExportOneProfile(const CVantrelArchive& archive, int index, ExportFormat format,
                               std::string_view exportFile, const ExportObserver& observer = {});

// Profile numbers, in processing order, per outcome; numbers are kept whole (not cut to
// a byte) so that every summary names the profile it means.
struct ExportLists {
    std::vector<int> errors;
    std::vector<int> unchanged;
    std::vector<int> appended;
    std::vector<int> created;
    // Files refused as not text, one line each ("Profile 03: <file> (it holds a NUL byte)");
    // their profiles are in `errors` too.
    std::vector<std::string> notText;
};

struct ExportReport {
    ExportLists lists;
    std::vector<ProfileExport> profiles;  // what happened to each profile handled
    // Set when a file could not be opened or written, and the export ended: the message,
    // and for a write the system's reason and the file on a second line.
    std::string fatalError;
    std::string exportPath;  // the folder of the export file, for the "Export Path" setting

    bool Succeeded() const { return fatalError.empty() && lists.errors.empty(); }
};

// Exports the profiles with the given archive indexes, in that order, until the end or the
// first fatal error.
ExportReport ExportProfiles(const CVantrelArchive& archive, const std::vector<int>& indexes,
                            ExportFormat format, std::string_view exportFile,
                            const ExportObserver& observer = {});

// Archive indexes in the order of the export dialog's rows: ascending profile number,
// records with equal numbers in archive order.
std::vector<int> ProfileIndexesInRowOrder(const CVantrelArchive& archive);

}  // namespace vantrel
