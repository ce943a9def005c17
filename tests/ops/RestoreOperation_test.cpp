// SPDX-License-Identifier: GPL-3.0-or-later
// The restore and erase operations, and the backup-restore-backup round trip, through the
// real link engine against the simulated logger.

#include <gtest/gtest.h>

#include <tuple>

#include "link/Requests.h"
#include "ops/LoggerFixture.h"
#include "ops/TestArchives.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

// Both soil tables, complete profiles 03 and 07, one other file: 7 files to write.
CVantrelArchive TwoProfileArchive() {
    std::vector<TestProfile> profiles(2);
    profiles[0].key = "03";
    profiles[0].readings = HourlyReadings(0, 4);
    profiles[1].key = "07";
    profiles[1].readings = HourlyReadings(5, 3);
    CVantrelArchive archive = MakeArchive(profiles);
    archive.m_strDeviceConfig = Hex("config from the backup");
    archive.m_astrOtherNames = {"NOTES.TXT"};
    archive.m_astrOtherFiles = {Hex("field notes")};
    return archive;
}

std::vector<std::string> UploadOrder(const RecordingPage& page) {
    std::vector<std::string> names;
    for (const std::string& status : page.StatusTexts()) {
        if (status.rfind("Uploading ", 0) == 0) {
            const std::string name = status.substr(10);
            if (names.empty() || names.back() != name) names.push_back(name);
        }
    }
    return names;
}

// The progress the erase posts after each deletion (progress only, no text).
std::vector<std::uint32_t> ErasureProgress(const RecordingPage& page) {
    std::vector<std::uint32_t> progress;
    bool erasing = false;
    for (const Notification& n : page.received) {
        if (n.kind != NotificationKind::WM_LINK_STATUS) continue;
        if (n.text == "Erasing Vantrel File System") erasing = true;
        if (n.text && n.text->rfind("Uploading ", 0) == 0) break;
        if (erasing && !n.text) progress.push_back(n.value);
    }
    return progress;
}

TEST(RestoreOperation, ErasesAllButTheDeviceConfigurationAndUploadsInOrder) {
    const CVantrelArchive archive = TwoProfileArchive();
    LoggerFixture f({{"QUILON.CFG00", "the logger's own"},
                     {"OLD.TXT", "stale"},
                     {"PRO09.DAT00", "old readings"},
                     {"USERSOIL.CFG01", "old soil"}});

    ASSERT_EQ(f.ops.RestoreLogger(&f.page, archive), 1);
    f.Drain();

    EXPECT_EQ(UploadOrder(f.page),
              (std::vector<std::string>{"ORTVELSOIL.CFG01", "USERSOIL.CFG01", "PRO03.CFG00",
                                        "PRO03.DAT00", "PRO07.CFG00", "PRO07.DAT00", "NOTES.TXT"}));
    std::string data3, config3, data7, config7;
    archive.GetProfileFiles(0, data3, config3);
    archive.GetProfileFiles(1, data7, config7);
    const LoggerImage expected = {
        {"QUILON.CFG00", "the logger's own"},
        {"ORTVELSOIL.CFG01", Bytes(archive.m_strOrtvelSoil)},
        {"USERSOIL.CFG01", Bytes(archive.m_strUserSoil)},
        {"PRO03.CFG00", Bytes(config3)},
        {"PRO03.DAT00", Bytes(data3)},
        {"PRO07.CFG00", Bytes(config7)},
        {"PRO07.DAT00", Bytes(data7)},
        {"NOTES.TXT", "field notes"},
    };
    EXPECT_EQ(f.Files(), expected);
    EXPECT_TRUE(f.page.SawStatus("Erasing Vantrel File System"));
    EXPECT_EQ(ErasureProgress(f.page), (std::vector<std::uint32_t>{33, 66, 100}));
    EXPECT_EQ(f.page.LastStatus(), "Restored 7 files OK.  Elapsed Time: 00:00:00");
    EXPECT_TRUE(f.prompt.shown().empty());
    EXPECT_TRUE(f.RateTimerRanFor(kRestoreRatePeriod));
    EXPECT_EQ(f.completionSignals, 1);
}

TEST(RestoreOperation, LoggerWithNothingToEraseTakesTheUploadsDirectly) {
    const LoggerImage loggers[] = {{}, {{"QUILON.CFG00", "kept"}}};
    for (const LoggerImage& before : loggers) {
        SCOPED_TRACE(before.size());
        LoggerFixture f(before);

        ASSERT_EQ(f.ops.RestoreLogger(&f.page, TwoProfileArchive()), 1);
        f.Drain();

        EXPECT_TRUE(ErasureProgress(f.page).empty());
        EXPECT_EQ(f.Files().size(), 7u + before.size());
        EXPECT_EQ(f.Files().count("QUILON.CFG00"), before.size()) << "never written by a restore";
        EXPECT_EQ(f.page.LastStatus(), "Restored 7 files OK.  Elapsed Time: 00:00:00");
    }
}

TEST(RestoreOperation, EmptyTextsAreNotWritten) {
    TestProfile configOnly;
    configOnly.key = "04";
    CVantrelArchive archive = MakeArchive({});
    archive.AddProfile("04", "", ConfigHex(configOnly));  // configuration only
    archive.AddProfile("06", Hex("readings"), "");        // data only
    archive.m_strUserSoil.clear();
    LoggerFixture f({});

    ASSERT_EQ(f.ops.RestoreLogger(&f.page, archive), 1);
    f.Drain();

    EXPECT_EQ(UploadOrder(f.page),
              (std::vector<std::string>{"ORTVELSOIL.CFG01", "PRO04.CFG00", "PRO06.DAT00"}));
    EXPECT_EQ(f.page.LastStatus(), "Restored 3 files OK.  Elapsed Time: 00:00:00");
}

TEST(RestoreOperation, FailedThirdUploadLeavesTheFirstTwoAndNoCompletion) {
    CVantrelArchive archive = MakeArchive({});
    archive.m_astrOtherNames = {"BAD NAME", "LATER.TXT"};  // the logger refuses a blank
    archive.m_astrOtherFiles = {Hex("x"), Hex("y")};
    LoggerFixture f({{"QUILON.CFG00", "kept"}, {"OLD.TXT", "stale"}});

    EXPECT_EQ(f.ops.RestoreLogger(&f.page, archive), 0);
    f.Drain();

    EXPECT_EQ(f.Files(), (LoggerImage{{"QUILON.CFG00", "kept"},
                                      {"ORTVELSOIL.CFG01", Bytes(archive.m_strOrtvelSoil)},
                                      {"USERSOIL.CFG01", Bytes(archive.m_strUserSoil)}}));
    for (const std::string& status : f.page.StatusTexts()) {
        EXPECT_EQ(status.find("Restored"), std::string::npos) << status;
    }
    EXPECT_TRUE(f.page.SawStatus("Fatal error uploading BAD NAME - Vantrel may now be unstable"));
    EXPECT_TRUE(f.RateTimerRanFor(kRestoreRatePeriod));
    EXPECT_EQ(f.completionSignals, 0);
}

TEST(RestoreOperation, CancelPressedBeforeTheStartIsHonouredNotCleared) {
    const LoggerImage before = {{"QUILON.CFG00", "kept"}, {"OLD.TXT", "stale"}};
    LoggerFixture f(before);
    f.link.SetCancel(true);

    EXPECT_EQ(f.ops.RestoreLogger(&f.page, TwoProfileArchive()), 0);
    f.Drain();

    EXPECT_TRUE(f.page.SawStatus("Communications Closed"));
    EXPECT_EQ(f.page.LastStatus(), "Unable to erase vantrel file system");
    EXPECT_EQ(f.Files(), before);
    EXPECT_TRUE(f.RateTimerRanFor(kRestoreRatePeriod));
}

TEST(RestoreOperation, ABackupThatCannotBeRestoredIsRefusedBeforeAnythingIsSent) {
    const LoggerImage before = {{"QUILON.CFG00", "kept"}, {"OLD.TXT", "stale"}};
    CVantrelArchive quoted = MakeArchive({});
    quoted.m_astrOtherNames = {"A\"B.TXT"};  // the quote would end the name in the frame
    quoted.m_astrOtherFiles = {Hex("x")};
    CVantrelArchive tooLong = quoted;  // longer than any request carries
    tooLong.m_astrOtherNames = {std::string(kMaxFileNameLength + 1, 'L')};
    struct Case {
        const char* what;
        CVantrelArchive archive;
        const char* message;
    };
    // A file of zeros loads as a backup holding nothing at all.
    const std::vector<std::uint8_t> zeros(64, 0);
    CVantrelArchive damaged = MakeArchive({});
    damaged.m_astrOtherNames = {"NOTES.TXT"};
    damaged.m_astrOtherFiles = {"41@4"};  // an "@" would start a new frame on the line
    CVantrelArchive odd = MakeArchive({});
    odd.m_strUserSoil += "A";  // half a byte
    const Case cases[] = {
        {"nothing in it", CVantrelArchive::Load(zeros), "holds no vantrel files"},
        {"a content that is not hex", damaged, "a damaged file (\"NOTES.TXT\")"},
        {"half a byte", odd, "a damaged file (\"USERSOIL.CFG01\")"},
        {"a name the frame cannot carry", quoted, "cannot take (\"A\"B.TXT\")"},
        {"a name too long for a request", tooLong, "cannot take (\"LLLL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoggerFixture f(before);
        EXPECT_EQ(f.ops.RestoreLogger(&f.page, c.archive), 0);
        f.Drain();
        ASSERT_EQ(f.prompt.Texts().size(), 1u);
        EXPECT_NE(f.prompt.Texts()[0].find(c.message), std::string::npos) << f.prompt.Texts()[0];
        EXPECT_EQ(f.Files(), before);
        EXPECT_TRUE(f.page.received.empty());
        EXPECT_EQ(DescribeRestoreOutcome(f.ops.LastRestoreOutcome()), "");
    }
}

TEST(RestoreOperation, ACancelDuringAnUploadDeletesTheCutOffFileAndSaysWhatTheLoggerHolds) {
    std::vector<TestProfile> profiles(1);
    profiles[0].key = "03";
    profiles[0].readings = HourlyReadings(0, 60);  // a data file of several blocks
    const CVantrelArchive archive = MakeArchive(profiles);
    LoggerFixture f({{"QUILON.CFG00", "kept"}, {"OLD.TXT", "stale"}});
    bool cancelled = false;
    f.page.onNotification = [&](const Notification& n) {
        // The Cancel button, once the data file's second block is on its way.
        if (!cancelled && n.kind == NotificationKind::WM_LINK_STATUS && !n.text && n.value > 0 &&
            n.value < 100 && f.page.LastStatus() == "Uploading PRO03.DAT00") {
            cancelled = true;
            f.link.SetCancel(true);
        }
    };

    EXPECT_EQ(f.ops.RestoreLogger(&f.page, archive), 0);
    f.Drain();

    ASSERT_TRUE(cancelled);
    // Three files whole, the cut-off data file deleted again.
    EXPECT_EQ(f.Files().count("PRO03.DAT00"), 0u);
    EXPECT_EQ(f.Files().size(), 4u);
    const RestoreOutcome& outcome = f.ops.LastRestoreOutcome();
    EXPECT_EQ(outcome.filesComplete, 3);
    EXPECT_EQ(outcome.filesTotal, 4);
    EXPECT_EQ(outcome.cutOff, "");
    EXPECT_EQ(outcome.uploading, "");
    EXPECT_EQ(outcome.ending, RestoreOutcome::Ending::Cancelled);
    EXPECT_EQ(DescribeRestoreOutcome(outcome),
              "The vantrel was erased and now holds 3 of this backup's 4 files complete.\n"
              "Restoring the same backup again puts it right.");
}

TEST(RestoreOperation, ProgressIsReportedAsItGoesAndARestoreSuspendedForGoodDeletesItsUpload) {
    std::vector<TestProfile> profiles(1);
    profiles[0].key = "03";
    profiles[0].readings = HourlyReadings(0, 60);  // a data file of several blocks
    const CVantrelArchive archive = MakeArchive(profiles);
    using Stage = RestoreOutcome::Stage;
    using Report = std::tuple<Stage, int, std::string>;  // the files whole, the one under way
    std::vector<Report> reported;
    const auto record = [&reported](const RestoreOutcome& outcome) {
        reported.emplace_back(outcome.stage, outcome.filesComplete, outcome.uploading);
    };

    // A whole restore: erase, uploads one by one (each named before it starts), done.
    LoggerFixture whole(LoggerImage{{"QUILON.CFG00", "kept"}});
    whole.ops.SetRestoreProgressSink(record);
    ASSERT_EQ(whole.ops.RestoreLogger(&whole.page, archive), 1);
    EXPECT_EQ(reported, (std::vector<Report>{{Stage::Erasing, 0, ""},
                                             {Stage::Uploading, 0, ""},
                                             {Stage::Uploading, 0, "ORTVELSOIL.CFG01"},
                                             {Stage::Uploading, 1, ""},
                                             {Stage::Uploading, 1, "USERSOIL.CFG01"},
                                             {Stage::Uploading, 2, ""},
                                             {Stage::Uploading, 2, "PRO03.CFG00"},
                                             {Stage::Uploading, 3, ""},
                                             {Stage::Uploading, 3, "PRO03.DAT00"},
                                             {Stage::Uploading, 4, ""},
                                             {Stage::Done, 4, ""}}));

    // The process ends from inside a wait of the data file's upload: the suspended restore
    // never runs again (the exception stands for that), yet its upload is closed and deleted.
    reported.clear();
    LoggerFixture f(LoggerImage{{"QUILON.CFG00", "kept"}});
    f.ops.SetRestoreProgressSink(record);
    struct ProcessEnded {};
    f.page.onNotification = [&](const Notification& n) {
        if (n.kind == NotificationKind::WM_LINK_STATUS && !n.text && n.value > 0 && n.value < 100 &&
            f.page.LastStatus() == "Uploading PRO03.DAT00") {
            f.ops.EndSuspendedRestore();
            throw ProcessEnded{};
        }
    };
    EXPECT_THROW(f.ops.RestoreLogger(&f.page, archive), ProcessEnded);
    EXPECT_EQ(f.Files().count("PRO03.DAT00"), 0u);
    EXPECT_EQ(f.Files().size(), 4u);
    EXPECT_EQ(f.ops.LastRestoreOutcome().cutOff, "");
    EXPECT_EQ(f.ops.LastRestoreOutcome().ending, RestoreOutcome::Ending::ProgramEnded);
    EXPECT_EQ(reported.back(), Report(Stage::Uploading, 3, ""));
    // Only once: a second end finds nothing to do.
    const std::size_t reports = reported.size();
    f.ops.EndSuspendedRestore();
    EXPECT_EQ(reported.size(), reports);
}

TEST(RestoreOperation, ACancelWhileAFileIsCreatedClosesAndDeletesIt) {
    std::vector<TestProfile> profiles(1);
    profiles[0].key = "03";
    profiles[0].readings = HourlyReadings(0, 10);
    const CVantrelArchive archive = MakeArchive(profiles);
    LoggerFixture f(LoggerImage{{"QUILON.CFG00", "kept"}});
    f.page.onNotification = [&](const Notification& n) {
        // The Cancel button, just as the data file's Create File goes out.
        if (n.text == "Uploading PRO03.DAT00" && n.value == 0 && !f.link.IsCancelled()) {
            f.link.SetCancel(true);
        }
    };
    EXPECT_EQ(f.ops.RestoreLogger(&f.page, archive), 0);
    f.Drain();

    EXPECT_EQ(f.Files().count("PRO03.DAT00"), 0u);
    // Closed before it was deleted: the logger never refused the delete as a locked file.
    for (const std::string& status : f.page.StatusTexts()) {
        EXPECT_EQ(status.rfind("Fatal errors", 0), std::string::npos) << status;
    }
    EXPECT_EQ(f.ops.LastRestoreOutcome().filesComplete, 3);
    EXPECT_EQ(f.ops.LastRestoreOutcome().cutOff, "");
    // The file was closed again: restoring the same backup now puts everything right.
    f.page.onNotification = nullptr;
    EXPECT_EQ(f.ops.RestoreLogger(&f.page, archive), 1) << "the created file was left open";
    EXPECT_EQ(f.Files().count("PRO03.DAT00"), 1u);
}

TEST(RestoreOperation, ARefusedNameIsReportedAsTheLoggersAnswerWithoutAdviceToRepeat) {
    CVantrelArchive archive = MakeArchive({});
    archive.m_astrOtherNames = {"BAD NAME", "LATER.TXT"};  // the logger refuses a blank
    archive.m_astrOtherFiles = {Hex("x"), Hex("y")};
    LoggerFixture f(LoggerImage{{"QUILON.CFG00", "kept"}});

    EXPECT_EQ(f.ops.RestoreLogger(&f.page, archive), 0);
    f.Drain();

    for (const std::string& status : f.page.StatusTexts()) {
        EXPECT_EQ(status.find("timed out"), std::string::npos) << status;
    }
    EXPECT_TRUE(
        f.page.SawStatus("Fatal errors, the vantrel refused the command: Invalid Filename"));
    // Shown once: a name the logger does not take is not deleted afterwards.
    EXPECT_EQ(f.prompt.Texts(), std::vector<std::string>{"Invalid Filename"});
    EXPECT_EQ(f.ops.LastRestoreOutcome().ending, RestoreOutcome::Ending::Refused);
    EXPECT_EQ(DescribeRestoreOutcome(f.ops.LastRestoreOutcome()),
              "The vantrel refused the file \"BAD NAME\": Invalid Filename.\n"
              "The vantrel was erased and now holds 2 of this backup's 4 files complete.");
}

TEST(RestoreOperation, ALineThatGoesDeadDuringTheUploadsStillAdvisesToRestoreAgain) {
    sim::FaultOptions dead;
    // Answers Connect, the erase's two listing requests and the first Create File only.
    dead.silentAfter = 4;
    LoggerFixture f(LoggerImage{{"QUILON.CFG00", "kept"}}, dead);

    EXPECT_EQ(f.ops.RestoreLogger(&f.page, TwoProfileArchive()), 0);
    f.Drain();

    EXPECT_TRUE(f.page.SawStatus("Fatal errors, connection timed out"));
    const RestoreOutcome& outcome = f.ops.LastRestoreOutcome();
    EXPECT_EQ(outcome.refusal, "");
    EXPECT_EQ(outcome.ending, RestoreOutcome::Ending::LineBroken);
    EXPECT_EQ(DescribeRestoreOutcome(outcome),
              "The vantrel was erased and now holds 0 of this backup's 7 files complete.\n"
              "ORTVELSOIL.CFG01 is cut off on the vantrel: it could not be deleted.\n"
              "Restoring the same backup again puts it right.");
}

TEST(RestoreOperation, EveryListingGivesUpALoggerWhoseListingNeverEnds) {
    sim::FaultOptions endless;
    endless.endlessListing = true;
    const LoggerImage before = {{"QUILON.CFG00", "kept"}, {"OLD.TXT", "stale"}};
    const std::string givenUp =
        "The vantrel's list of files does not end: it named more than 10000 files. The listing "
        "was given up.";
    TempFolder folder;
    LoggerFixture f(before, endless);

    EXPECT_EQ(f.ops.BackupLogger(&f.page, folder.path() / "never.vbk"), 0);
    f.Drain();
    EXPECT_EQ(f.page.LastStatus(), "Unable to retrieve info from file");
    EXPECT_FALSE(fs::exists(folder.path() / "never.vbk"));

    EXPECT_EQ(f.ops.RestoreLogger(&f.page, TwoProfileArchive()), 0);
    f.Drain();
    EXPECT_EQ(f.page.LastStatus(), "Unable to erase vantrel file system");
    EXPECT_EQ(f.Files(), before) << "nothing deleted";

    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    EXPECT_FALSE(f.link.ListFiles(&f.page, LinkSettings{"sim0", 9600}, names, sizes));
    f.Drain();
    EXPECT_EQ(f.page.LastStatus(), "Unable to retrieve info from file");
    EXPECT_EQ(f.prompt.Texts(), (std::vector<std::string>{givenUp, givenUp, givenUp}));
}

TEST(RestoreOperation, OutcomeTextsNameTheStageAndACutOffFile) {
    RestoreOutcome outcome;
    EXPECT_EQ(DescribeRestoreOutcome(outcome), "");  // the logger was never touched
    outcome.stage = RestoreOutcome::Stage::Erasing;
    EXPECT_NE(DescribeRestoreOutcome(outcome).find("while the vantrel was being erased"),
              std::string::npos);
    outcome = {.stage = RestoreOutcome::Stage::Uploading,
               .filesTotal = 11,
               .filesComplete = 1,
               .cutOff = "PRO01.DAT00"};
    EXPECT_EQ(DescribeRestoreOutcome(outcome),
              "The vantrel was erased and now holds 1 of this backup's 11 files complete.\n"
              "PRO01.DAT00 is cut off on the vantrel: it could not be deleted.\n"
              "Restoring the same backup again puts it right.");
    outcome.stage = RestoreOutcome::Stage::Done;
    EXPECT_EQ(DescribeRestoreOutcome(outcome), "");
}

TEST(RestoreOperation, RoundTripKeepsEveryFileAndNormalisesProfileNames) {
    TempFolder folder;
    LoggerImage image = FullImage();
    // Profile 7 as a later generation of files: restored under the generation-0 names.
    image["PRO07.CFG01"] = image["PRO01.CFG00"];
    image["PRO07.DAT01"] = image["PRO01.DAT00"];
    LoggerFixture first(image);
    first.ops.SetExcludes([](std::string_view) { return false; });
    ASSERT_EQ(first.ops.BackupLogger(&first.page, folder.path() / "one.vbk"), 1);
    const CVantrelArchive one = CVantrelArchive::LoadFromFile(folder.path() / "one.vbk");

    LoggerFixture empty({});
    ASSERT_EQ(empty.ops.RestoreLogger(&empty.page, one), 1);
    LoggerImage expected = image;
    expected.erase("QUILON.CFG00");  // never restored
    expected.erase("PRO05.DAT00");   // data without configuration: not in the backup
    expected.erase("PRO07.CFG01");
    expected.erase("PRO07.DAT01");
    expected["PRO07.CFG00"] = image["PRO01.CFG00"];
    expected["PRO07.DAT00"] = image["PRO01.DAT00"];
    EXPECT_EQ(empty.Files(), expected);

    LoggerFixture again(empty.Files());
    again.ops.SetExcludes([](std::string_view) { return false; });
    ASSERT_EQ(again.ops.BackupLogger(&again.page, folder.path() / "two.vbk"), 1);
    CVantrelArchive two = CVantrelArchive::LoadFromFile(folder.path() / "two.vbk");
    EXPECT_TRUE(two.m_strDeviceConfig.empty());
    two.m_strDeviceConfig = one.m_strDeviceConfig;
    EXPECT_EQ(two, one);
}

}  // namespace
}  // namespace vantrel::test
