// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/ExportFilesFixture.h"

#include <atomic>
#include <functional>
#include <thread>

namespace vantrel::test {

namespace fs = std::filesystem;

// Every round: `target` holds the first readings, then two later backups append to it at
// the same moment, one through `exportFile`, the other through `otherExportFile`.
// Whichever goes second must see what the first one added.
void ExportFilesTest::ExpectRacingAppendsLoseNothing(const std::string& otherExportFile,
                                                     const std::string& target) {
    const CVantrelArchive first = MakeArchive({Profile("03", 0, 5)});
    const CVantrelArchive shorter = MakeArchive({Profile("03", 0, 300)});
    const CVantrelArchive longer = MakeArchive({Profile("03", 0, 600)});
    const fs::path whole = folder.path() / "whole";
    fs::create_directories(whole);
    ExportProfiles(longer, {0}, ExportFormat::Calibrated, (whole / "North.csv").string());
    const std::string expected = ReadBytes(ProfileFileName((whole / "North.csv").string(), 3));

    for (int round = 0; round < 20; ++round) {
        fs::remove(target);
        ExportProfiles(first, {0}, ExportFormat::Calibrated, otherExportFile);
        std::atomic<int> ready{0};
        const auto race = [&](const CVantrelArchive& archive, const std::string& file) {
            ++ready;
            while (ready.load() < 2) {
            }
            ExportProfiles(archive, {0}, ExportFormat::Calibrated, file);
        };
        std::thread one(race, std::cref(shorter), std::cref(exportFile));
        std::thread two(race, std::cref(longer), std::cref(otherExportFile));
        one.join();
        two.join();
        ASSERT_TRUE(ReadBytes(target) == expected) << "round " << round << " lost readings";
    }
}

}  // namespace vantrel::test
