// SPDX-License-Identifier: GPL-3.0-or-later
// Naming a new backup: extension, unique "(n)" names, default name, path building.

#include <gtest/gtest.h>

#include <set>

#include "base/PathText.h"
#include "ops/BackupFolder.h"
#include "ops/BackupNaming.h"
#include "ops/TestArchives.h"

namespace vantrel::test {
namespace {

TEST(BackupNaming, ExtensionIsAddedUnlessTheNameEndsInVbkInAnyCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"Field trip", "Field trip.vbk"},
        {"A.VBK", "A.VBK"},
        {"A.Vbk", "A.Vbk"},
        {"A.vbk.txt", "A.vbk.txt.vbk"},
        {"North.site", "North.site.vbk"},
        {"vbk", "vbk.vbk"},
    };
    for (const auto& [typed, expected] : cases) EXPECT_EQ(WithBackupExtension(typed), expected);
}

struct UniqueCase {
    std::set<std::string> existing;
    const char* requested;
    const char* expected;
};

TEST(BackupNaming, TakenNamesGetTheNextFreeNumber) {
    const UniqueCase cases[] = {
        {{}, "/b/A.vbk", "/b/A.vbk"},
        {{"/b/A.vbk"}, "/b/A.vbk", "/b/A(1).vbk"},
        {{"/b/A.vbk", "/b/A(1).vbk"}, "/b/A.vbk", "/b/A(2).vbk"},
        {{"/b/A(3).vbk"}, "/b/A(3).vbk", "/b/A(4).vbk"},
        {{"/b/A(3).vbk", "/b/A(4).vbk"}, "/b/A(3).vbk", "/b/A(5).vbk"},
        {{"/b/A(03).vbk"}, "/b/A(03).vbk", "/b/A(03)(1).vbk"},
        {{"/b/A(0).vbk"}, "/b/A(0).vbk", "/b/A(0)(1).vbk"},
        {{"/b/A(x).vbk"}, "/b/A(x).vbk", "/b/A(x)(1).vbk"},
        {{"/b/A(99999999999).vbk"}, "/b/A(99999999999).vbk", "/b/A(99999999999)(1).vbk"},
        // The largest number still continues, to a number that is free.
        {{"/b/A(2147483647).vbk"}, "/b/A(2147483647).vbk", "/b/A(2147483648).vbk"},
        // With no folder the "(" is in first place: not a number to continue from.
        {{"(3).vbk"}, "(3).vbk", "(3)(1).vbk"},
        {{"/b/A(2).VBK", "/b/A(2).vbk"}, "/b/A(2).VBK", "/b/A(3).vbk"},
        // A "(n)" in a folder's name is not a number of the file.
        {{"/b(7)/C).vbk"}, "/b(7)/C).vbk", "/b(7)/C)(1).vbk"},
    };
    for (const UniqueCase& c : cases) {
        const auto exists = [&c](const std::string& path) { return c.existing.count(path) != 0; };
        EXPECT_EQ(UniqueBackupPath(c.requested, exists), c.expected) << c.requested;
    }
}

TEST(BackupNaming, FolderAndNameJoinWithOneSeparator) {
    const std::string joined = std::string("/data") + kPathSeparator + "A.vbk";
    EXPECT_EQ(BackupPathIn("/data", "A.vbk"), joined);
    EXPECT_EQ(BackupPathIn("/data/", "A.vbk"), "/data/A.vbk");
    EXPECT_EQ(BackupPathIn("", "A.vbk"), "A.vbk");
    EXPECT_EQ(FileNamePart("/data/A(1).vbk"), "A(1).vbk");
    EXPECT_EQ(FileNamePart("A(1).vbk"), "A(1).vbk");
    EXPECT_EQ(FileNamePart("/A(1).vbk"), "/A(1).vbk") << "a leading separator keeps the path";
}

TEST(BackupNaming, DefaultNameCarriesTodaysDate) {
    EXPECT_EQ(DefaultBackupName(FromCivil(CivilTime{2026, 12, 6, 17, 45, 0})),
              "Vantrel Backup 06 Dec 2026.vbk");
}

TEST(BackupNaming, PressingBackupThreeTimesNumbersTheFilesInTheFolder) {
    TempFolder folder;
    std::vector<std::string> shown;
    std::string typed = "A";
    for (int press = 0; press < 3; ++press) {
        const BackupTarget target =
            ResolveBackupTarget(folder.path().string(), typed, BackupPathTaken);
        WriteBytes(target.path, "backup");
        typed = target.name;  // the page writes the name back into its box
        shown.push_back(target.name);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"A.vbk", "A(1).vbk", "A(2).vbk"}));
}

TEST(BackupNaming, AnExtensionInAnotherCaseTakesTheTitle) {
    TempFolder folder;
    WriteBytes(folder.path() / "Site.VBK", "backup");
    // Both would be listed as "Site": the new backup gets its own title instead.
    EXPECT_TRUE(BackupPathTaken(folder / "Site.vbk"));
    EXPECT_EQ(ResolveBackupTarget(folder.path().string(), "Site", BackupPathTaken).name,
              "Site(1).vbk");
    EXPECT_FALSE(BackupPathTaken(folder / "Other.vbk"));
}

TEST(BackupNaming, OneReadOfTheFolderAnswersAsTheFileChecksDo) {
    TempFolder folder;
    // Thousands of numbered backups, one title in another case, a folder and a plain file.
    for (int k = 1; k <= 3000; ++k)
        WriteBytes(folder / ("Site(" + std::to_string(k) + ").Vbk"), "");
    WriteBytes(folder / "Site.VBK", "");
    WriteBytes(folder / "notes.txt", "");
    std::filesystem::create_directories(folder.path() / "Other.vbk");
    const FileExistsPredicate taken = TakenNamesIn(folder.path());
    for (const char* name : {"Site.vbk", "Site(17).vbk", "Site(3001).vbk", "notes.txt", "Other.vbk",
                             "Other.VBK", "New.vbk"}) {
        EXPECT_EQ(taken(folder / name), BackupPathTaken(folder / name)) << name;
    }
    EXPECT_EQ(ResolveBackupTarget(folder.path().string(), "Site", taken).name, "Site(3001).vbk");
}

TEST(BackupNaming, NamesOfBlanksOrDotsAreRefusedAndFoldersCheckedBeforeAnyDownload) {
    EXPECT_EQ(BackupNameProblem("  "), "Please enter a filename to backup the vantrel to");
    EXPECT_NE(BackupNameProblem("..vbk"), "");
    EXPECT_NE(BackupNameProblem(". ."), "");
    EXPECT_EQ(BackupNameProblem(".hidden site"), "");
    EXPECT_EQ(BackupNameProblem("Site 3"), "");

    TempFolder folder;
    EXPECT_EQ(BackupFolderProblem(folder.path().string(), "Site.vbk"), "");
    EXPECT_EQ(BackupFolderProblem((folder.path() / "gone").string(), "Site.vbk")
                  .rfind("The backup folder does not exist: ", 0),
              0u);
    WriteBytes(folder / "file", "");
    EXPECT_EQ(BackupFolderProblem(folder / "file", "Site.vbk")
                  .rfind("The backup folder is not a folder: ", 0),
              0u);
    EXPECT_EQ(BackupFolderProblem(folder.path().string(), std::string(250, 'n') + ".vbk")
                  .rfind("The backup name is too long for this file system", 0),
              0u);
    // The checks created nothing: the folder holds the one file the test wrote.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
}  // namespace vantrel::test
