// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "data/RegularFile.h"
#include "ops/ExistingExport.h"
#include "ops/ExportFiles.h"
#include "ops/ExportText.h"
#include "ops/TestArchives.h"
#include "ops/TextLines.h"

namespace vantrel {
namespace {

using test::HourlyReadings;
using test::MakeArchive;
using test::MarchFifthPlusHours;
using test::TestProfile;

const std::string kHeader =
    "Site#:, 3\nDepths:, 10 - 10cm\n\nCalibration, 10cm\nA:, 0.1\nB:, 2\nC:, 0\n\n"
    "Calibrated Moisture Readings\nTime, 10cm\n";
const std::string kFileReadings =
    "05 Mar 2009 14:30:00, 1.000000\n05 Mar 2009 15:30:00, 2.000000\n";

// What a file holding `existing` takes of `readings`, its last reading found from its end.
std::string NewReadingsFor(const std::string& existing, std::string_view readings) {
    test::TempFolder folder;
    const std::string path = folder / "old.csv";
    test::WriteBytes(path, existing);
    RegularFileReader file;
    EXPECT_FALSE(file.Open(path));
    ExistingExport text(file);
    const std::string taken(ReadingsAfter(readings, text.LastReadingTime()));
    EXPECT_EQ(text.problem(), ExistingExport::Problem::None);
    return taken;
}

TEST(NewReadings, StartAtTheFirstReadingStrictlyLaterThanTheFilesLast) {
    const std::string later = "05 Mar 2009 16:30:00, 3.0\n";
    // No ":" in the last 100 KB: the last timed line lies blocks before the end.
    std::string noTimes;
    while (noTimes.size() < 100'000) noTimes += "x, 1\r\n";
    const struct {
        const char* name;
        std::string existing;
        std::string readings;
        std::string taken;
    } cases[] = {
        {"two new at the end", kHeader + kFileReadings,
         kFileReadings + later + "05 Mar 2009 17:30:00, 4.0\n",
         later + "05 Mar 2009 17:30:00, 4.0\n"},
        {"equal time is not later", kHeader + kFileReadings, "05 Mar 2009 15:30:00, 9.0\n", ""},
        {"earlier readings only", kHeader + kFileReadings,
         "01 Jan 2009 00:00:00, 9.0\n05 Mar 2009 14:30:00, 1.0\n", ""},
        {"a later reading takes every one after it", kHeader + kFileReadings,
         later + "05 Mar 2009 15:30:00, 9.0\n", later + "05 Mar 2009 15:30:00, 9.0\n"},
        {"empty readings", kHeader + kFileReadings, "", ""},
        {"file without readings has no stamp", kHeader, later, ""},
        {"unreadable last stamp", kHeader + "not a date: 1, 2\n", later, ""},
        {"reading without a comma has no stamp", kHeader + kFileReadings, "05 Mar 2009 16:30:00\n",
         ""},
        {"stamp in another letter case", kHeader + "05 MAR 2009 15:30:00, 2.0\n", later, later},
        {"CR LF line ends, the last line far from the end",
         ToCrLf(kHeader + kFileReadings) + noTimes, later, later},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NewReadingsFor(c.existing, c.readings), c.taken) << c.name;
}

TEST(BuildExportBlocks, SiteAndFormatBlocksFollowUnitsOffsetAndFormat) {
    TestProfile inches;
    inches.key = "07";
    inches.inches = true;
    inches.depthOffset = 3;
    inches.soilCodes = {-1, 0, 5};  // Ortvel soil 1, no table, unused user soil 5
    inches.readings = HourlyReadings(0, 1, 3);
    const CVantrelArchive archive = MakeArchive({inches});

    const ExportBlocks scaled = BuildExportBlocks(archive, 0, ExportFormat::Scaled);
    EXPECT_EQ(scaled.site, "Site#:, 7\nDepths:, 1 - 12inches\n\n");
    EXPECT_EQ(scaled.calibration,
              "Calibration, 4inches, 8inches, 12inches\n"
              "A:, 0.250000, Error, Unused\nB:, 2.500000, Error, Unused\n"
              "C:, 0.010000, Error, Unused\n\n");
    EXPECT_EQ(scaled.formatHeader, "Scaled Frequency Readings\nTime, 4inches, 8inches, 12inches\n");
    EXPECT_EQ(BuildExportBlocks(archive, 0, ExportFormat::Calibrated).formatHeader,
              "Calibrated Moisture Readings\nTime, 4inches, 8inches, 12inches\n");
}

TEST(BuildExportBlocks, DataShorterThanOneReadingGivesAnEmptyReadingsBlock) {
    CVantrelArchive archive = MakeArchive({});
    archive.AddProfile("04", std::string(100, '0'), test::ConfigHex(TestProfile{}));
    archive.ScanProfiles();
    const ExportBlocks blocks = BuildExportBlocks(archive, 0, ExportFormat::Calibrated);
    EXPECT_TRUE(blocks.readings.empty());
    EXPECT_EQ(blocks.site, "Site#:, 4\nDepths:, 10 - 0cm\n\n");
}

TEST(ExportGolden, SmallProfileMatchesTheKeptFileByteForByte) {
    TestProfile profile;  // profile 03, two sensors in cm, user soils 1 and 2
    profile.readings = {{MarchFifthPlusHours(0), {12.5f, 20.125f}, {}},
                        {MarchFifthPlusHours(1), {13.0f, -0.25f}, {}}};
    const CVantrelArchive archive = MakeArchive({profile});
    test::TempFolder folder;
    const ProfileExport done =
        ExportOneProfile(archive, 0, ExportFormat::Calibrated, folder / "North.csv");
    ASSERT_EQ(done.outcome, ProfileOutcome::Created);
    EXPECT_EQ(done.path, folder / "North (Pro03).csv");
    EXPECT_EQ(test::ReadBytes(done.path),
              test::ReadBytes(VANTREL_OPS_GOLDEN_DIR "/profile03-calibrated.csv"));
}

}  // namespace
}  // namespace vantrel
