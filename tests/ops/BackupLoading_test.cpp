// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fstream>

#include <filesystem>

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
    EXPECT_EQ(loaded.error, std::string(kBadBackupDataText) +
                                "\nThe file is larger than any backup can be.");
    // The list passes it over like any file that is not a backup.
    EXPECT_TRUE(ListBackups(folder.path()).empty());
}

}  // namespace
}  // namespace vantrel
