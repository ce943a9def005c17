// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The export tests' fixture: a temporary folder, an export file in it, and the race of two
// exports appending to one file; shared by the tests of every platform and the POSIX ones.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "ops/ExportFileName.h"
#include "ops/ExportFiles.h"
#include "ops/TestArchives.h"
#include "ops/TextLines.h"

namespace vantrel::test {

inline TestProfile Profile(const std::string& key, int firstHour, int count) {
    TestProfile profile;
    profile.key = key;
    profile.readings = HourlyReadings(firstHour, count);
    return profile;
}

// What tells a file left alone from one written anew, on every platform: its time of last
// change (to the nanosecond where the file system keeps it) and its bytes.
struct FileIdentity {
    std::filesystem::file_time_type modified;
    std::string bytes;
    bool operator==(const FileIdentity&) const = default;
};

inline FileIdentity IdentityOf(const std::string& path) {
    return {std::filesystem::last_write_time(path), ReadBytes(path)};
}

inline size_t CountLines(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

class ExportFilesTest : public ::testing::Test {
protected:
    ExportReport Export(const CVantrelArchive& archive,
                        ExportFormat format = ExportFormat::Calibrated) {
        return ExportProfiles(archive, ProfileIndexesInRowOrder(archive), format, exportFile);
    }
    std::string FileOf(int profile) const { return ProfileFileName(exportFile, profile); }
    void ExpectRacingAppendsLoseNothing(const std::string& otherExportFile,
                                        const std::string& target);
    // Makes the file of profile 03 an export of 2000 readings grown to `size` bytes by a
    // hole among its readings (NUL bytes, which only a read of the whole file meets); gives
    // its text before in `text`, and returns where the hole starts.
    size_t GrowWithAHole(std::uintmax_t size, std::string& text);
    // An observer that runs `fail` before the `piece`th piece of a grown file is read.
    static ExportObserver FailingAtPiece(int piece, std::function<void()> fail);
    bool NoTemporaryFilesLeft() const {
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            if (entry.path().filename().string().ends_with(".tmp")) return false;
        }
        return true;
    }

    TempFolder folder;
    std::string exportFile = folder / "North.csv";
};

}  // namespace vantrel::test
