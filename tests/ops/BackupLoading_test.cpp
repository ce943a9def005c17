#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace vantrel
