// SPDX-License-Identifier: GPL-3.0-or-later
// Backups and exports onto a FAT file system (a USB stick): no unnamed files, no hard
// links, no permission bits, names blind to letter case. Runs on a mounted FAT image.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <thread>

#include "data/AtomicFile.h"
#include "data/AtomicFileFixture.h"
#include "ops/BackupFolder.h"
#include "ops/BackupNaming.h"
#include "ops/ExportFiles.h"
#include "ops/LoggerFixture.h"
#include "ops/TestArchives.h"
#include "support/FatFolder.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

// Every entry of `folder` by name; hidden temporary names of ours apart.
struct Entries {
    std::set<std::string> finals;
    std::set<std::string> temporaries;
};
Entries EntriesOf(const fs::path& folder) {
    Entries entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        (IsAtomicTempName(name) ? entries.temporaries : entries.finals).insert(name);
    }
    return entries;
}

CVantrelArchive ArchiveWithReadings(int count) {
    TestProfile profile;
    profile.readings = HourlyReadings(0, count);
    return MakeArchive({profile});
}

std::string StoredBytes(const CVantrelArchive& archive) {
    const std::vector<std::uint8_t> bytes = archive.Store();
    return std::string(bytes.begin(), bytes.end());
}

// One FAT image for the whole suite; each test writes into a folder of its own.
class FatWrites : public testing::Test {
protected:
    static void SetUpTestSuite() { stick_ = std::make_unique<FatFolder>(); }
    static void TearDownTestSuite() { stick_.reset(); }
    void SetUp() override {
        if (!stick_->Mounted()) {
            if (FatTestsRequired()) FAIL() << stick_->SkipReason();
            GTEST_SKIP() << stick_->SkipReason();
        }
        folder_ = stick_->path() / testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(folder_);
        RecordProperty("mounted_by", stick_->How());
    }

    static std::unique_ptr<FatFolder> stick_;
    fs::path folder_;
};
std::unique_ptr<FatFolder> FatWrites::stick_;

TEST_F(FatWrites, WholeFilesNewNamesAndRenamesNeverReplaceAndLeaveNoTemporaryFile) {
    EXPECT_FALSE(ProbeFolderWrite(folder_)) << "the probe leaves nothing either";
    WriteFileAtomically(folder_ / "North.csv", "old");
    WriteFileAtomically(folder_ / "North.csv", "new");
    EXPECT_EQ(ReadBytes(folder_ / "North.csv"), "new");
    {
        UnpublishedFile second(folder_, "second");
        EXPECT_FALSE(second.PublishNew(folder_ / "NORTH.CSV"));  // the same name on FAT
        EXPECT_TRUE(second.PublishNew(folder_ / "Site.vbk"));
        UnpublishedFile dropped(folder_, "never named");
    }
    EXPECT_THROW(WriteFileAtomically(folder_ / "North.csv", FailingAfter(3)), std::system_error);
    EXPECT_EQ(RenameNoReplace(folder_ / "Site.vbk", folder_ / "north.csv"),
              std::make_error_code(std::errc::file_exists));
    EXPECT_FALSE(RenameNoReplace(folder_ / "Site.vbk", folder_ / "Moved.vbk"));
    EXPECT_EQ(ReadBytes(folder_ / "Moved.vbk"), "second");
    EXPECT_EQ(ReadBytes(folder_ / "North.csv"), "new");
    const Entries entries = EntriesOf(folder_);
    EXPECT_EQ(entries.finals, (std::set<std::string>{"Moved.vbk", "North.csv"}));
    EXPECT_TRUE(entries.temporaries.empty()) << *entries.temporaries.begin();
}

TEST_F(FatWrites, BackupsAreWrittenNumberedRenamedAndDeletedOnTheStick) {
    const std::string path = (folder_ / "Field trip.vbk").string();
    EXPECT_EQ(BackupFolderProblem(folder_.string(), "Field trip.vbk"), "");
    LoggerFixture first(FullImage());
    ASSERT_EQ(first.ops.BackupLogger(&first.page, path), 1) << first.prompt.shown()[0].text;
    EXPECT_EQ(CVantrelArchive::LoadFromFile(path), *first.ops.LastBackup());

    // A name the listing does not show as taken, but FAT does: the next number is used.
    WriteBytes(folder_ / "FIELD TRIP(1).VBK", "copied from another stick");
    LoggerFixture second(FullImage());
    ASSERT_EQ(second.ops.BackupLogger(&second.page, path), 1) << second.prompt.shown()[0].text;
    EXPECT_EQ(second.ops.LastBackupPath(), folder_ / "Field trip(2).vbk");
    EXPECT_EQ(ReadBytes(folder_ / "FIELD TRIP(1).VBK"), "copied from another stick");

    EXPECT_TRUE(RenameBackup(folder_, "Field trip(2)", "Renamed", second.prompt));
    EXPECT_FALSE(RenameBackup(folder_, "Renamed", "field trip", second.prompt));
    EXPECT_TRUE(DeleteBackup(folder_, "Field trip", second.prompt));
    std::vector<std::string> titles;
    for (const BackupRow& row : ListBackups(folder_)) titles.push_back(row.title);
    EXPECT_EQ(titles, std::vector<std::string>{"Renamed"});
    EXPECT_EQ(CVantrelArchive::LoadFromFile(folder_ / "Renamed.vbk"), *second.ops.LastBackup());
    EXPECT_TRUE(EntriesOf(folder_).temporaries.empty());
}

TEST_F(FatWrites, ExportsCreateAndAppendAsOnAnyOtherFolder) {
    TempFolder reference;
    const auto exportTo = [](const fs::path& folder, const CVantrelArchive& archive) {
        return ExportProfiles(archive, ProfileIndexesInRowOrder(archive), ExportFormat::Calibrated,
                              (folder / "North.csv").string());
    };
    for (const int readings : {3, 7}) {
        const CVantrelArchive archive = ArchiveWithReadings(readings);
        const ExportReport onStick = exportTo(folder_, archive);
        EXPECT_EQ(onStick.fatalError, "");
        EXPECT_EQ(onStick.lists.created.size() + onStick.lists.appended.size(), 1u);
        EXPECT_EQ(readings == 3 ? onStick.lists.created : onStick.lists.appended,
                  std::vector<int>{3});
        exportTo(reference.path(), archive);
    }
    const Entries entries = EntriesOf(folder_);
    ASSERT_EQ(entries.finals.size(), 1u);
    EXPECT_TRUE(entries.temporaries.empty());
    const std::string name = *entries.finals.begin();
    EXPECT_EQ(ReadBytes(folder_ / name), ReadBytes(reference.path() / name));
}

TEST_F(FatWrites, AReadOnlyStickIsRefusedBeforeConnectingWithTheSystemsReason) {
    FatFolder readOnly(FatFolder::Access::ReadOnly);
    ASSERT_TRUE(readOnly.Mounted()) << readOnly.SkipReason();
    EXPECT_EQ(BackupFolderProblem(readOnly.path().string(), "Field trip.vbk"),
              "The backup folder cannot be written: " + readOnly.path().string() +
                  " (Read-only file system)");
}

// A writer that replaces a file, publishes new backups and renames them, killed at varied
// moments: every file under a final name is whole, and listings show no temporary file.
TEST_F(FatWrites, AWriterKilledAtAnyMomentLeavesOnlyWholeFilesUnderFinalNames) {
    const std::string small = StoredBytes(ArchiveWithReadings(5));
    const std::string large = StoredBytes(ArchiveWithReadings(4000));
    std::mt19937 random(424242);
    int leftBehind = 0;
    for (int round = 0; round < 24; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (int i = 0;; ++i) {
                    const std::string& bytes = i % 2 ? large : small;
                    const std::string slot = std::to_string(i % 3);
                    WriteFileAtomically(folder_ / "Site.csv", bytes);
                    UnpublishedFile backup(folder_, bytes);
                    fs::remove(folder_ / ("Backup" + slot + ".vbk"));
                    backup.PublishNew(folder_ / ("Backup" + slot + ".vbk"));
                    fs::remove(folder_ / ("Moved" + slot + ".vbk"));
                    RenameNoReplace(folder_ / ("Backup" + slot + ".vbk"),
                                    folder_ / ("Moved" + slot + ".vbk"));
                }
            } catch (const std::exception& error) {
                std::fprintf(stderr, "the writer failed: %s\n", error.what());
                ::_exit(3);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the writer failed";

        const Entries entries = EntriesOf(folder_);
        for (const std::string& name : entries.finals) {
            const std::string bytes = ReadBytes(folder_ / name);
            EXPECT_TRUE(bytes == small || bytes == large)
                << name << " is cut off (" << bytes.size() << " bytes), round " << round;
        }
        int unreadable = 0;
        for (const BackupRow& row :
             ListBackups(folder_, [&](const UnreadableBackup&) { ++unreadable; })) {
            EXPECT_FALSE(IsAtomicTempName(row.file.filename().string())) << row.file;
        }
        EXPECT_EQ(unreadable, 0) << "round " << round;
        // The next write sweeps what the killed writer left (at once: fusefat, unlike the
        // kernel's FAT, gives colliding short names to many long names sharing a prefix),
        // and a write beside a live writer leaves the live one's file alone.
        leftBehind += static_cast<int>(entries.temporaries.size());
        UnpublishedFile live(folder_, small);
        EXPECT_EQ(EntriesOf(folder_).temporaries.size(), 1u) << "round " << round;
        WriteFileAtomically(folder_ / "Site.csv", small);
        ASSERT_TRUE(live.PublishNew(folder_ / "Live.vbk")) << "round " << round;
        EXPECT_TRUE(EntriesOf(folder_).temporaries.empty()) << "round " << round;
        fs::remove(folder_ / "Live.vbk");
    }
    RecordProperty("temporaries_left_by_kills", leftBehind);
}

}  // namespace
}  // namespace vantrel::test
