// SPDX-License-Identifier: GPL-3.0-or-later
// The backup operation through the real link engine against the simulated logger.

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "ops/BackupSorting.h"
#include "ops/LoggerFixture.h"
#include "ops/TestArchives.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

bool NoExcludes(std::string_view) {
    return false;
}

// What the backup must store: the sorting of the same files, dated and scanned.
CVantrelArchive ExpectedBackup(const LoggerImage& image, const DateTimeValue& backupDate,
                               const ExcludePredicate& excludes = NoExcludes) {
    const HexListing listing = ListingOf(image);
    CVantrelArchive archive;
    EXPECT_EQ(SortBackupFiles(listing.names, listing.contents, archive, excludes),
              BackupSortResult::Ok);
    archive.m_dtBackup = backupDate;
    archive.ScanProfiles();
    return archive;
}

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

class BackupOperation : public testing::Test {
protected:
    TempFolder folder;
    fs::path path = folder.path() / "Field trip.vbk";
};

TEST_F(BackupOperation, StoresExactlyWhatTheSortingBuildsFromTheLoggersFiles) {
    const LoggerImage image = FullImage();
    LoggerFixture f(image);
    f.ops.SetExcludes(NoExcludes);

    ASSERT_EQ(f.ops.BackupLogger(&f.page, path), 1);
    f.Drain();

    const CVantrelArchive stored = CVantrelArchive::LoadFromFile(path);
    EXPECT_EQ(stored, ExpectedBackup(image, FromCivil(CivilTime{2026, 12, 6, 9, 15, 0})));
    ASSERT_NE(f.ops.LastBackup(), nullptr);
    EXPECT_EQ(*f.ops.LastBackup(), stored);

    // The sorting's rules as they reach the file: profiles in key order, the one without
    // data kept with empty data, the orphan data file dropped, the empty late file kept.
    ASSERT_EQ(stored.GetProfileCount(), 2);
    EXPECT_EQ(stored.GetProfileNo(0), 1);
    EXPECT_EQ(stored.GetProfileNo(1), 2);
    std::string data, config;
    stored.GetProfileFiles(1, data, config);
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(stored.m_strDeviceConfig, Hex("device settings"));
    EXPECT_EQ(stored.m_astrOtherNames, (std::vector<std::string>{"PRODUCTS.GR", "ZZEMPTY.TXT"}));
    EXPECT_EQ(stored.m_astrOtherFiles, (std::vector<std::string>{Hex("product list"), ""}));
    EXPECT_TRUE(stored.m_dtFrom.IsValid());

    // Every listed file counts, the dropped orphan included; nothing took any fake time.
    EXPECT_EQ(f.page.LastStatus(), "Backup completed (9 files).  Elapsed Time: 00:00:00");
    EXPECT_TRUE(f.page.SawStatus("Comms Closed. Processing Data..."));
    EXPECT_TRUE(f.page.SawStatus("Retrieving ZZEMPTY.TXT"));
    // After the completion, the one file counted but not stored is named with its reason.
    ASSERT_EQ(f.prompt.shown().size(), 1u);
    EXPECT_EQ(f.prompt.shown()[0].caption, "Files Not Backed Up");
    EXPECT_EQ(f.prompt.shown()[0].text,
              "These vantrel files are not in the backup:\n"
              "PRO05.DAT00: a profile data file without its configuration file PRO05.CFG00");
    EXPECT_TRUE(f.RateTimerRanFor(kBackupRatePeriod));
    EXPECT_EQ(f.completionSignals, 1);
    EXPECT_EQ(FilesIn(folder.path()), std::vector<std::string>{"Field trip.vbk"});
}

TEST_F(BackupOperation, NeverReplacesAFileThatTookItsNameDuringTheDownload) {
    // A file copied to the name, or a folder of that name, after the page chose it.
    WriteBytes(path, "an older backup");
    fs::create_directories(folder.path() / "Field trip(1).vbk");
    LoggerFixture f(FullImage());
    ASSERT_EQ(f.ops.BackupLogger(&f.page, path), 1);
    const fs::path written = folder.path() / "Field trip(2).vbk";
    EXPECT_EQ(f.ops.LastBackupPath(), written);
    EXPECT_EQ(CVantrelArchive::LoadFromFile(written), *f.ops.LastBackup());
    EXPECT_EQ(ReadBytes(path), "an older backup");
    EXPECT_EQ(
        FilesIn(folder.path()),
        (std::vector<std::string>{"Field trip(1).vbk", "Field trip(2).vbk", "Field trip.vbk"}));
}

TEST_F(BackupOperation, ExcludesListInTheCurrentDirectoryDropsFilesButTheyStillCount) {
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    WriteBytes(folder.path() / "Vantrel.ini", "[Excludes]\nExclude#1=PRODUCTS.GR\n");
    LoggerFixture f(FullImage());  // the default Excludes list of the operations
    const int result = f.ops.BackupLogger(&f.page, path);
    fs::current_path(previous);

    ASSERT_EQ(result, 1);
    f.Drain();
    EXPECT_EQ(CVantrelArchive::LoadFromFile(path).m_astrOtherNames,
              std::vector<std::string>{"ZZEMPTY.TXT"});
    EXPECT_EQ(f.page.LastStatus(), "Backup completed (9 files).  Elapsed Time: 00:00:00");
}

TEST_F(BackupOperation, ElapsedTimeAndRateFollowTheClockOfASlowLogger) {
    sim::FaultOptions slow;
    slow.holdOffEvery = 1;  // every reply is held off, then given 1.5 s later
    LoggerFixture f(FullImage(), slow);
    const std::int64_t start = f.clock.WallMilliseconds();

    ASSERT_EQ(f.ops.BackupLogger(&f.page, path), 1);
    f.Drain();

    const std::int64_t elapsedMs = f.clock.WallMilliseconds() - start;
    ASSERT_GT(elapsedMs, 10000);
    const std::int64_t elapsedSeconds = f.clock.WallSeconds() - start / 1000;
    EXPECT_EQ(f.page.LastStatus(),
              "Backup completed (9 files).  Elapsed Time: " +
                  FormatElapsed(static_cast<double>(elapsedSeconds) / 86400.0));
    EXPECT_GT(f.page.RateCount(), 0u) << "the rate timer ticked during the transfer";
    EXPECT_TRUE(f.RateTimerRanFor(kBackupRatePeriod));
}

TEST_F(BackupOperation, ElapsedTimeIsTheDifferenceOfTheWholeSecondsAtStartAndEnd) {
    LoggerFixture f(FullImage());
    f.clock.StepWallClock(std::chrono::milliseconds(900));  // start at hh:mm:ss.900
    bool stepped = false;
    f.page.onNotification = [&](const Notification& n) {
        if (!stepped && n.text == "Retrieving PRO01.DAT00") {
            stepped = true;
            f.clock.StepWallClock(std::chrono::milliseconds(300));  // into the next second
        }
    };

    ASSERT_EQ(f.ops.BackupLogger(&f.page, path), 1);
    f.Drain();

    ASSERT_TRUE(stepped);
    EXPECT_EQ(f.page.LastStatus(), "Backup completed (9 files).  Elapsed Time: 00:00:01");
}

TEST_F(BackupOperation, ZeroSizeFirstFileStopsBeforeAnyDownload) {
    LoggerImage image = FullImage();
    image["AAA.TXT"] = "";  // listed first
    LoggerFixture f(image);

    EXPECT_EQ(f.ops.BackupLogger(&f.page, path), 0);
    f.Drain();

    EXPECT_EQ(f.prompt.Texts(), std::vector<std::string>{"Zero byte file detected"});
    for (const std::string& status : f.page.StatusTexts()) {
        EXPECT_TRUE(status.rfind("Retrieving ", 0) != 0 || status == "Retrieving File Info")
            << "downloaded: " << status;
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(f.RateTimerRanFor(kBackupRatePeriod));
}

struct SoilCase {
    const char* what;
    std::vector<std::string> removed;
    std::map<std::string, std::string> added;
    const char* box;
};

TEST_F(BackupOperation, MissingSoilTablesAbortAfterTheDownloadWithOneBox) {
    const SoilCase cases[] = {
        {"no Ortvel soil", {"ORTVELSOIL.CFG01"}, {}, "Ortvel Soil File missing - Aborted"},
        {"neither soil",
         {"ORTVELSOIL.CFG01", "USERSOIL.CFG01"},
         {},
         "Ortvel Soil File missing - Aborted"},
        {"empty Ortvel soil (not listed first)",
         {},
         {{"AAA.TXT", "first"}, {"ORTVELSOIL.CFG01", ""}},
         "Ortvel Soil File missing - Aborted"},
        {"no user soil", {"USERSOIL.CFG01"}, {}, "User Soil File missing - Aborted"},
        {"user soil in lower case",
         {"USERSOIL.CFG01"},
         {{"usersoil.cfg01", "soil"}},
         "User Soil File missing - Aborted"},
    };
    for (const SoilCase& c : cases) {
        SCOPED_TRACE(c.what);
        LoggerImage image = FullImage();
        for (const auto& name : c.removed) image.erase(name);
        for (const auto& [name, bytes] : c.added) image[name] = bytes;
        LoggerFixture f(image);

        EXPECT_EQ(f.ops.BackupLogger(&f.page, path), 0);
        f.Drain();

        EXPECT_EQ(f.prompt.Texts(), std::vector<std::string>{c.box});
        EXPECT_EQ(f.page.LastStatus(), "Comms Closed. Processing Data...");
        EXPECT_FALSE(fs::exists(path));
        EXPECT_EQ(f.ops.LastBackup(), nullptr);
        EXPECT_TRUE(f.RateTimerRanFor(kBackupRatePeriod));
        EXPECT_EQ(f.completionSignals, 0);
    }
}

TEST_F(BackupOperation, CancelDuringTheDownloadWritesNothing) {
    WriteBytes(path, "the backup that was there");
    LoggerFixture f(FullImage());
    f.page.onNotification = [&f](const Notification& n) {
        if (n.text == "Retrieving PRO01.DAT00") f.link.SetCancel(true);  // the Cancel button
    };

    EXPECT_EQ(f.ops.BackupLogger(&f.page, path), 0);
    f.Drain();

    EXPECT_EQ(f.page.LastStatus(), "ABORTED..Unable to retrieve file");
    EXPECT_TRUE(f.page.SawStatus("Communications Closed"));
    EXPECT_EQ(ReadBytes(path), "the backup that was there");
    EXPECT_FALSE(f.link.IsCancelled());
    EXPECT_TRUE(f.RateTimerRanFor(kBackupRatePeriod));
}

TEST_F(BackupOperation, AWriteFailureShowsTheReasonAndLeavesNothingBehind) {
    struct WriteCase {
        const char* what;
        fs::path target;
    };
    fs::create_directories(folder.path() / "taken.vbk");
    const WriteCase cases[] = {
        {"folder gone", folder.path() / "gone" / "A.vbk"},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.what);
        LoggerFixture f(FullImage());

        EXPECT_EQ(f.ops.BackupLogger(&f.page, c.target), 0);
        f.Drain();

        ASSERT_EQ(f.prompt.Texts().size(), 1u);
        EXPECT_EQ(f.prompt.Texts()[0].rfind("Could not open data file for saving\n", 0), 0u)
            << f.prompt.Texts()[0];
        EXPECT_EQ(FilesIn(folder.path()), std::vector<std::string>{"taken.vbk"});
        EXPECT_TRUE(fs::is_empty(folder.path() / "taken.vbk"));
        EXPECT_EQ(f.page.LastStatus(), "Comms Closed. Processing Data...");
        EXPECT_TRUE(f.RateTimerRanFor(kBackupRatePeriod));
    }
}

TEST_F(BackupOperation, PortThatCannotBeOpenedShowsTheBoxAndStopsTheTimer) {
    LoggerFixture f(FullImage());
    CLoggerOperations ops(f.link, f.prompt, LinkSettings{"sim0", 12345});

    EXPECT_EQ(ops.BackupLogger(&f.page, path), 0);
    f.Drain();

    ASSERT_EQ(f.prompt.shown().size(), 1u);
    EXPECT_EQ(f.prompt.shown()[0].caption, "Error opening port");
    EXPECT_EQ(f.page.LastStatus(), "Failed to open port");
    EXPECT_TRUE(f.RateTimerRanFor(kBackupRatePeriod));
}

TEST_F(BackupOperation, RateTimerStopsWhenAnErrorEscapesTheOperation) {
    LoggerFixture f(FullImage());
    CLoggerOperations ops(f.link, f.prompt, []() -> LinkSettings {
        throw std::runtime_error("settings store unreadable");
    });

    EXPECT_THROW(ops.BackupLogger(&f.page, path), std::runtime_error);
    EXPECT_THROW(ops.RestoreLogger(&f.page, MakeArchive({})), std::runtime_error);

    const auto& calls = f.queue.rateTimerCalls;
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_TRUE(calls[0].set && !calls[1].set && calls[2].set && !calls[3].set);
    EXPECT_EQ(calls[2].period, kRestoreRatePeriod);
    EXPECT_EQ(f.completionSignals, 0);
}

}  // namespace
}  // namespace vantrel::test
