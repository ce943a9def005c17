// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "ops/ExportFilesFixture.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::CountLines;
using test::ExportFilesTest;
using test::FileIdentity;
using test::HourlyReadings;
using test::IdentityOf;
using test::MakeArchive;
using test::Profile;
using test::ReadBytes;
using test::TestProfile;
using test::WriteBytes;

TEST_F(ExportFilesTest, SecondRunFindsEveryProfileUnchangedAndWritesNothing) {
    const CVantrelArchive archive = MakeArchive({Profile("07", 0, 4), Profile("03", 0, 5)});
    const ExportReport first = Export(archive);
    EXPECT_TRUE(first.Succeeded());
    EXPECT_EQ(first.lists.created, (std::vector<int>{3, 7}));  // row order: ascending number
    EXPECT_EQ(first.exportPath, folder.path().string());
    const FileIdentity before3 = IdentityOf(FileOf(3));
    const FileIdentity before7 = IdentityOf(FileOf(7));

    const ExportReport second = Export(archive);
    EXPECT_TRUE(second.Succeeded());
    EXPECT_EQ(second.lists.unchanged, (std::vector<int>{3, 7}));
    EXPECT_TRUE(second.lists.created.empty());
    EXPECT_TRUE(second.lists.appended.empty());
    for (auto [path, before] : {std::pair{FileOf(3), before3}, std::pair{FileOf(7), before7}}) {
        EXPECT_TRUE(IdentityOf(path) == before) << path;
    }
}

TEST_F(ExportFilesTest, LaterBackupAppendsExactlyTheThreeNewReadings) {
    Export(MakeArchive({Profile("03", 0, 5)}));
    const std::string before = ReadBytes(FileOf(3));

    const ExportReport later = Export(MakeArchive({Profile("03", 0, 8)}));
    EXPECT_EQ(later.lists.appended, std::vector<int>{3});
    const std::string after = ReadBytes(FileOf(3));
    ASSERT_EQ(after.substr(0, before.size()), before);
    const std::string added = after.substr(before.size());
    EXPECT_EQ(CountLines(added), 3u);
    EXPECT_TRUE(added.starts_with("05 Mar 2009 19:30:00, ")) << added;
    EXPECT_EQ(added.find('\n'), added.find("\r\n") + 1);  // CR LF line ends
    // The grown file is what a fresh export of the later backup writes.
    fs::remove(FileOf(3));
    Export(MakeArchive({Profile("03", 0, 8)}));
    EXPECT_EQ(ReadBytes(FileOf(3)), after);
}

TEST_F(ExportFilesTest, ReadingsBlockEqualToTheFileEndIsUnchangedEvenWithOlderLines) {
    Export(MakeArchive({Profile("03", 0, 8)}));
    const ExportReport report = Export(MakeArchive({Profile("03", 3, 5)}));
    EXPECT_EQ(report.lists.unchanged, std::vector<int>{3});
}

TEST_F(ExportFilesTest, MismatchedFilesLandInTheErrorListAndStayAsTheyWere) {
    Export(MakeArchive({Profile("03", 0, 5)}), ExportFormat::Scaled);
    const std::string scaled = ReadBytes(FileOf(3));

    struct Case {
        const char* name;
        CVantrelArchive archive;
        ExportFormat format;
    };
    TestProfile otherCalibration = Profile("03", 0, 6);
    otherCalibration.soilCodes = {3, 2};
    TestProfile otherDepths = Profile("03", 0, 6);
    otherDepths.inches = true;
    Case cases[] = {
        {"scaled file, calibrated export", MakeArchive({Profile("03", 0, 6)}),
         ExportFormat::Calibrated},
        {"another calibration", MakeArchive({otherCalibration}), ExportFormat::Scaled},
        {"another site block", MakeArchive({otherDepths}), ExportFormat::Scaled},
    };
    for (const Case& c : cases) {
        const ExportReport report = Export(c.archive, c.format);
        EXPECT_EQ(report.lists.errors, std::vector<int>{3}) << c.name;
        EXPECT_FALSE(report.Succeeded()) << c.name;
        EXPECT_TRUE(report.fatalError.empty()) << c.name;
        EXPECT_EQ(ReadBytes(FileOf(3)), scaled) << c.name;
    }
}

TEST_F(ExportFilesTest, IncompleteProfileFailsWhileTheOthersExport) {
    TestProfile incomplete = Profile("05", 0, 0);
    incomplete.withData = false;
    const ExportReport report =
        Export(MakeArchive({Profile("07", 0, 2), incomplete, Profile("02", 0, 2)}));
    EXPECT_EQ(report.lists.errors, std::vector<int>{5});
    EXPECT_EQ(report.lists.created, (std::vector<int>{2, 7}));
    EXPECT_FALSE(fs::exists(FileOf(5)));
    EXPECT_FALSE(report.Succeeded());
}

TEST_F(ExportFilesTest, EqualTimeReadingIsNotAppendedAndTheFileIsListedNowhere) {
    Export(MakeArchive({Profile("03", 0, 5)}));
    const std::string before = ReadBytes(FileOf(3));
    TestProfile sameTime = Profile("03", 4, 1);
    sameTime.readings[0].calibrated = {99.0f, 98.0f};
    const ExportReport report = Export(MakeArchive({sameTime}));
    ASSERT_EQ(report.profiles.size(), 1u);
    EXPECT_EQ(report.profiles[0].outcome, ProfileOutcome::NothingNew);
    EXPECT_TRUE(report.lists.errors.empty() && report.lists.unchanged.empty() &&
                report.lists.appended.empty() && report.lists.created.empty());
    EXPECT_EQ(ReadBytes(FileOf(3)), before);
}

TEST_F(ExportFilesTest, EmptyReadingsBlockWithTheSameBlocksIsUnchanged) {
    CVantrelArchive archive = MakeArchive({});
    archive.AddProfile("03", std::string(200, '0'), test::ConfigHex(TestProfile{}));
    EXPECT_EQ(Export(archive).lists.created, std::vector<int>{3});
    EXPECT_EQ(Export(archive).lists.unchanged, std::vector<int>{3});
}

TEST_F(ExportFilesTest, FileWrittenWithoutReadingsTakesTheWholeReadingsBlockLater) {
    TestProfile empty = Profile("03", 0, 0);
    empty.readings.clear();
    // A profile whose data holds no whole reading yet, exported before any reading existed.
    CVantrelArchive early = MakeArchive({});
    early.AddProfile("03", test::DataHex(Profile("03", 0, 1)).substr(0, 250),
                     test::ConfigHex(empty));
    ASSERT_EQ(Export(early).lists.created, std::vector<int>{3});

    const ExportReport later = Export(MakeArchive({Profile("03", 0, 4)}));
    EXPECT_EQ(later.lists.appended, std::vector<int>{3});
    const std::string grown = ReadBytes(FileOf(3));
    fs::remove(FileOf(3));
    Export(MakeArchive({Profile("03", 0, 4)}));
    EXPECT_EQ(grown, ReadBytes(FileOf(3)));
}

TEST_F(ExportFilesTest, ExistingFilesTakeNewReadingsInTheirOwnLineEnds) {
    const CVantrelArchive full = MakeArchive({Profile("03", 0, 6)});
    Export(full);
    const std::string expected = ReadBytes(FileOf(3));
    const std::string shortText = NormaliseLineEnds(ReadBytes(FileOf(3)));
    // The file cut after its fourth reading, with LF, and with CR LF and no last line end
    // or a lone CR as the last one.
    const size_t cut = shortText.find("05 Mar 2009 18:30:00");
    ASSERT_NE(cut, std::string::npos);
    const std::string crLfNoEnd = ToCrLf(shortText.substr(0, cut - 1));
    const struct {
        std::string onDisk;
        std::string grown;
    } cases[] = {
        {shortText.substr(0, cut), NormaliseLineEnds(expected)},
        {crLfNoEnd, expected},
        {crLfNoEnd + "\r", expected},
    };
    for (const auto& c : cases) {
        WriteBytes(FileOf(3), c.onDisk);
        const ExportReport report = Export(full);
        EXPECT_EQ(report.lists.appended, std::vector<int>{3});
        EXPECT_EQ(ReadBytes(FileOf(3)), c.grown);
    }
}

TEST_F(ExportFilesTest, AFileGrownPast64MiBTakesItsNewReadingsFromItsEndAndStaysWholeOnFailure) {
    std::string text;
    const size_t split = GrowWithAHole(std::uintmax_t{200} << 20, text);
    const std::uintmax_t size = fs::file_size(FileOf(3));

    // A later backup holding the last 5 readings of the file and 3 new ones.
    const CVantrelArchive later = MakeArchive({Profile("03", 1995, 8)});
    // The disk fills up while the grown file is written: the old one stays as it was.
    const auto modified = fs::last_write_time(FileOf(3));
    const ExportReport full = ExportProfiles(
        later, {0}, ExportFormat::Calibrated, exportFile, FailingAtPiece(2, [] {
            throw std::system_error(std::make_error_code(std::errc::no_space_on_device));
        }));
    EXPECT_EQ(full.fatalError, std::string(kErrorOpeningForWritingText) + "\n" +
                                   std::make_error_code(std::errc::no_space_on_device).message() +
                                   ": " + FileOf(3));
    EXPECT_EQ(fs::last_write_time(FileOf(3)), modified);
    EXPECT_EQ(fs::file_size(FileOf(3)), size);
    EXPECT_TRUE(NoTemporaryFilesLeft());

    const std::string laterReadings =
        BuildExportBlocks(later, 0, ExportFormat::Calibrated).readings;
    size_t newAt = 0;
    for (int line = 0; line < 5; ++line) newAt = laterReadings.find('\n', newAt) + 1;
    EXPECT_EQ(Export(later).lists.appended, std::vector<int>{3});
    {
        std::ifstream grown(FileOf(3), std::ios::binary);
        std::string end(fs::file_size(FileOf(3)) - size, '\0');
        grown.seekg(static_cast<std::streamoff>(size)).read(end.data(), end.size());
        EXPECT_EQ(end, ToCrLf(laterReadings.substr(newAt)));
        std::string start(split, '\0');
        grown.seekg(0).read(start.data(), start.size());
        EXPECT_EQ(start, text.substr(0, split));
    }
    EXPECT_TRUE(NoTemporaryFilesLeft());

    // Another program cuts the file short while it is copied: nothing of it is replaced.
    const ExportReport cut =
        ExportProfiles(MakeArchive({Profile("03", 1995, 9)}), {0}, ExportFormat::Calibrated,
                       exportFile, FailingAtPiece(2, [&] { fs::resize_file(FileOf(3), split); }));
    EXPECT_EQ(cut.fatalError, kErrorOpeningForReadingText);
    EXPECT_EQ(ReadBytes(FileOf(3)), text.substr(0, split));
    EXPECT_TRUE(NoTemporaryFilesLeft());
}

TEST_F(ExportFilesTest, SiteAndCalibrationCompareWithoutLetterCase) {
    const CVantrelArchive archive = MakeArchive({Profile("03", 0, 3)});
    Export(archive);
    std::string text = ReadBytes(FileOf(3));
    for (size_t i = 0; i < text.find("Calibrated"); ++i) {
        text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
    }
    WriteBytes(FileOf(3), text);
    EXPECT_EQ(Export(archive).lists.unchanged, std::vector<int>{3});
}

TEST_F(ExportFilesTest, TwoExportsAppendingToOneFileAtOnceLoseNoReadings) {
    ExpectRacingAppendsLoseNothing(exportFile, FileOf(3));
}

TEST_F(ExportFilesTest, ExistingFilesThatAreNotTextAreRefusedUntouchedWhileTheOthersExport) {
    const std::string withNul = std::string("Site\0") + std::string(100, '\0') + "1,2\n";
    Export(MakeArchive({Profile("03", 0, 1)}));
    const std::string valid = ReadBytes(FileOf(3));
    const struct {
        const char* name;
        std::function<void(const std::string&)> make;
        std::uintmax_t size;
    } cases[] = {
        {"a NUL byte", [&](const std::string& path) { WriteBytes(path, withNul); }, withNul.size()},
        {"NUL bytes at the end of an export's text",
         [&](const std::string& path) {
             WriteBytes(path, valid);
             fs::resize_file(path, valid.size() + 100);
         },
         valid.size() + 100},
    };
    for (const auto& c : cases) {
        fs::remove(FileOf(4));
        c.make(FileOf(3));
        const auto before = fs::last_write_time(FileOf(3));
        const ExportReport report = Export(MakeArchive({Profile("03", 0, 2), Profile("04", 0, 2)}));
        ASSERT_EQ(report.profiles.size(), 2u) << c.name;
        EXPECT_EQ(report.profiles[0].outcome, ProfileOutcome::NotText) << c.name;
        EXPECT_TRUE(report.fatalError.empty()) << c.name;
        EXPECT_EQ(report.lists.errors, std::vector<int>{3}) << c.name;
        EXPECT_EQ(report.lists.created, std::vector<int>{4}) << c.name;
        EXPECT_EQ(report.lists.notText,
                  std::vector<std::string>{"Profile 03: " + FileOf(3) +
                                           " (it holds a NUL byte, so it is not text)"})
            << c.name;
        EXPECT_EQ(fs::last_write_time(FileOf(3)), before) << c.name;
        EXPECT_EQ(fs::file_size(FileOf(3)), c.size) << c.name;
        EXPECT_FALSE(report.Succeeded());
    }
}

TEST_F(ExportFilesTest, MissingFolderEndsTheExportWithTheWriteError) {
    exportFile = folder / "missing/North.csv";
    const ExportReport report = Export(MakeArchive({Profile("03", 0, 2), Profile("04", 0, 2)}));
    // The system's reason and the file on a second line.
    EXPECT_EQ(report.fatalError, "Error opening file for writing\nNo such file or directory: " +
                                     report.profiles[0].path);
    ASSERT_EQ(report.profiles.size(), 1u);  // profile 04 was never tried
    EXPECT_EQ(report.profiles[0].outcome, ProfileOutcome::WriteFailed);
    EXPECT_FALSE(report.Succeeded());
}

TEST_F(ExportFilesTest, UnreadableExistingFileEndsTheExportWithTheReadError) {
    // A folder where the profile file should be (a pipe of that name: ExportFilesPosix).
    fs::create_directory(FileOf(3));
    const ExportReport report = Export(MakeArchive({Profile("03", 0, 2), Profile("04", 0, 2)}));
    EXPECT_EQ(report.fatalError, "Error opening file for reading");
    EXPECT_EQ(report.profiles.size(), 1u);
    EXPECT_FALSE(fs::exists(FileOf(4)));
}

TEST(ProfileIndexesInRowOrder, SortsByNumberKeepingArchiveOrderForEqualNumbers) {
    const CVantrelArchive archive = MakeArchive(
        {Profile("10", 0, 1), Profile("02", 0, 1), Profile("2x", 0, 1), Profile("01", 0, 1)});
    EXPECT_EQ(ProfileIndexesInRowOrder(archive), (std::vector<int>{3, 1, 2, 0}));
}

}  // namespace
}  // namespace vantrel
