// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ops/BackupFolder.h"
#include "ops/BackupLoading.h"
#include "ops/TestArchives.h"

namespace vantrel {
namespace {

TEST(LoadBackup, ReportsTheTwoFailuresWithTheirTextsAndLoadsAGoodFile) {
    test::TempFolder folder;
    test::TestProfile profile;
    profile.readings = test::HourlyReadings(0, 3);
    const CVantrelArchive original = test::MakeArchive({profile});
    original.SaveToFile(folder / "good.vbk");
    const std::string bytes = test::ReadBytes(folder / "good.vbk");
    test::WriteBytes(folder / "cut.vbk", bytes.substr(0, bytes.size() / 2));
    std::string badClass = bytes;
    badClass[10] = 'X';  // inside the class name "CProfileNode"
    test::WriteBytes(folder / "badclass.vbk", badClass);

    const struct {
        std::string path;
        std::string_view error;
    } cases[] = {
        {folder / "missing.vbk", kCouldNotOpenBackupText},
        {folder.path().string(), kCouldNotOpenBackupText},
        {folder / "cut.vbk", kBadBackupDataText},
        {folder / "badclass.vbk", kBadBackupDataText},
    };
    for (const auto& c : cases) {
        const LoadedBackup loaded = LoadBackup(c.path);
        EXPECT_FALSE(loaded.archive.has_value()) << c.path;
        EXPECT_EQ(loaded.error, c.error) << c.path;
    }

    const LoadedBackup good = LoadBackup(folder / "good.vbk");
    ASSERT_TRUE(good.archive.has_value()) << good.error;
    EXPECT_EQ(good.archive->GetReadingCount(0), 3);
    EXPECT_EQ(good.archive->m_strUserSoil, original.m_strUserSoil);
}

TEST(BackupLoading, AFileLargerThanAnyBackupIsRefusedWithoutBeingRead) {
    test::TempFolder folder;
    const std::filesystem::path huge = folder.path() / "huge.vbk";
    { std::ofstream(huge) << ""; }
    std::filesystem::resize_file(huge, 8ull << 30);  // sparse: 8 GiB of nothing on disk
    const LoadedBackup loaded = LoadBackup(huge);
    EXPECT_FALSE(loaded.archive.has_value());
    EXPECT_EQ(loaded.error,
              std::string(kBadBackupDataText) + "\nThe file is larger than any backup can be.");
    // The list passes it over like any file that is not a backup.
    EXPECT_TRUE(ListBackups(folder.path()).empty());
}

TEST(BackupLoading, ABackupCopiedOverWhileItIsLoadedIsRefusedOrLoadedNeverACrash) {
    // Another program cuts the file short again and again and writes it whole again, as a
    // copy over it does. Each load meanwhile either gets the whole backup or refuses the
    // file with one of its two texts; none may crash (a mapped file cut short raises SIGBUS).
    test::TempFolder folder;
    test::TestProfile profile;
    profile.readings = test::HourlyReadings(0, 20000, 16);
    const std::filesystem::path file = folder.path() / "site.vbk";
    test::MakeArchive({profile}).SaveToFile(file);
    const std::string bytes = test::ReadBytes(file);

    std::atomic<bool> stop{false};
    std::thread copier([&] {
        const std::size_t half = bytes.size() / 2;
        while (!stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::error_code error;
            std::filesystem::resize_file(file, half, error);
            if (error) break;
            std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
            out.seekp(static_cast<std::streamoff>(half));
            out.write(bytes.data() + half, static_cast<std::streamsize>(bytes.size() - half));
            if (!out.flush()) break;
        }
    });
    int loaded = 0, cannotOpen = 0, badData = 0;
    for (int round = 0; round < 150; ++round) {
        const LoadedBackup result = LoadBackup(file);
        if (result.archive) {
            ++loaded;
            EXPECT_EQ(result.archive->GetReadingCount(0), 20000);
        } else if (result.error == kCouldNotOpenBackupText) {
            ++cannotOpen;
        } else {
            ++badData;
            EXPECT_EQ(result.error, kBadBackupDataText);
        }
        ListBackups(folder.path(), [](const UnreadableBackup& unreadable) {
            if (unreadable.reason == UnreadableBackup::Reason::CannotOpen) {
                EXPECT_EQ(unreadable.message, "Could not open site backup file for loading");
            }
        });
    }
    stop = true;
    copier.join();
    RecordProperty("file_bytes", static_cast<int>(bytes.size()));
    RecordProperty("loaded", loaded);
    RecordProperty("could_not_open", cannotOpen);
    RecordProperty("bad_data", badData);
    // The copier finished with the whole file: it loads.
    ASSERT_TRUE(LoadBackup(file).archive.has_value());
}

}  // namespace
}  // namespace vantrel
