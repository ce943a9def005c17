// SPDX-License-Identifier: GPL-3.0-or-later
// Listing, finding, renaming and deleting the backups of a folder.

#include <gtest/gtest.h>

#include "data/AtomicFile.h"
#include "ops/BackupFolder.h"
#include "ops/TestArchives.h"
#include "platform/RecordingPrompt.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Titles(const std::vector<BackupRow>& rows) {
    std::vector<std::string> titles;
    for (const BackupRow& row : rows) titles.push_back(row.title);
    return titles;
}

CVantrelArchive OneProfileBackup() {
    std::vector<TestProfile> profiles(1);
    profiles[0].readings = HourlyReadings(0, 5);
    CVantrelArchive archive = MakeArchive(profiles);
    archive.m_dtBackup = FromCivil(CivilTime{2026, 12, 6, 9, 0, 0});
    return archive;
}

class BackupFolder : public testing::Test {
protected:
    void Store(const std::string& name, const CVantrelArchive& archive) {
        archive.SaveToFile(folder.path() / name);
    }
    TempFolder folder;
    RecordingPrompt prompt;
};

TEST_F(BackupFolder, ListsReadableBackupsWithTheirSummaryAndReportsTheRest) {
    const CVantrelArchive good = OneProfileBackup();
    Store("good.vbk", good);
    Store("a.b.VBK", MakeArchive({}));
    WriteBytes(folder.path() / "broken.Vbk", "not a backup");
    WriteBytes(folder.path() / "notes.txt", "not listed");
    fs::create_directory(folder.path() / "folder.vbk");

    std::vector<UnreadableBackup> problems;
    const auto rows =
        ListBackups(folder.path(), [&](const UnreadableBackup& p) { problems.push_back(p); });

    ASSERT_EQ(Titles(rows), (std::vector<std::string>{"a.b", "good"}));
    EXPECT_EQ(rows[0].profileCount, 0);
    EXPECT_EQ(rows[0].file, folder.path() / "a.b.VBK");
    EXPECT_EQ(rows[1].profileCount, 1);
    EXPECT_EQ(rows[1].dateFrom, good.m_dtFrom);
    EXPECT_EQ(rows[1].dateTo, good.m_dtTo);
    EXPECT_EQ(rows[1].backupDate, good.m_dtBackup);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].title, "broken");
    EXPECT_EQ(problems[0].reason, UnreadableBackup::Reason::BadData);
    EXPECT_TRUE(problems[0].message.empty()) << "bad data is passed over in silence";
}

TEST_F(BackupFolder, MissingOrEmptyFolderTextGivesTheExpectedPlace) {
    EXPECT_TRUE(ListBackups(folder.path() / "missing").empty());

    Store("here.vbk", MakeArchive({}));
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    const auto rows = ListBackups("");
    fs::current_path(previous);
    EXPECT_EQ(Titles(rows), std::vector<std::string>{"here"});
}

TEST_F(BackupFolder, TitleReachesItsFileWhateverTheExtensionCase) {
    WriteBytes(folder.path() / "Site 3.VBK", "x");
    WriteBytes(folder.path() / "Mixed.vBk", "x");
    EXPECT_EQ(BackupFileOf(folder.path(), "Site 3"), folder.path() / "Site 3.VBK");
    EXPECT_EQ(BackupFileOf(folder.path(), "Mixed"), folder.path() / "Mixed.vBk");
    EXPECT_FALSE(BackupFileOf(folder.path(), "Site"));
    EXPECT_FALSE(BackupFileOf(folder.path(), "../Site 3"));
}

TEST_F(BackupFolder, RenameKeepsTheExtensionAndNeverReplacesABackup) {
    WriteBytes(folder.path() / "North.VBK", "north");
    WriteBytes(folder.path() / "South.vbk", "south");
    WriteBytes(folder.path() / "East.VBK", "east");

    EXPECT_TRUE(RenameBackup(folder.path(), "North", "North 2026", prompt));
    EXPECT_EQ(ReadBytes(folder.path() / "North 2026.VBK"), "north");
    EXPECT_TRUE(prompt.shown().empty());

    // Onto another backup (also one whose extension differs in case), out of the folder,
    // to nothing, or from a backup that is gone: refused, every file as it was.
    for (const auto& [from, to] :
         std::vector<std::pair<std::string, std::string>>{{"South", "East"},
                                                          {"East", "South"},
                                                          {"South", "../South"},
                                                          {"South", ""},
                                                          {"Gone", "Here"}}) {
        prompt.Clear();
        EXPECT_FALSE(RenameBackup(folder.path(), from, to, prompt)) << from << " -> " << to;
        EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"Could not rename file"});
    }
    EXPECT_EQ(ReadBytes(folder.path() / "South.vbk"), "south");
    EXPECT_EQ(ReadBytes(folder.path() / "East.VBK"), "east");
    EXPECT_FALSE(fs::exists(folder.path().parent_path() / "South.vbk"));
}

TEST_F(BackupFolder, RenameNoReplaceRefusesAnExistingTarget) {
    WriteBytes(folder.path() / "a", "a");
    WriteBytes(folder.path() / "b", "b");
    EXPECT_EQ(RenameNoReplace(folder.path() / "a", folder.path() / "b"),
              std::make_error_code(std::errc::file_exists));
    EXPECT_EQ(ReadBytes(folder.path() / "a"), "a");
    EXPECT_EQ(ReadBytes(folder.path() / "b"), "b");
    EXPECT_FALSE(RenameNoReplace(folder.path() / "a", folder.path() / "c"));
    EXPECT_EQ(ReadBytes(folder.path() / "c"), "a");
    EXPECT_FALSE(fs::exists(folder.path() / "a"));
}

TEST_F(BackupFolder, DeleteAsksFirstAndDeletesOnlyOnYes) {
    WriteBytes(folder.path() / "Old.VBK", "old");
    prompt.ScriptAnswer(PromptAnswer::No);
    EXPECT_FALSE(DeleteBackup(folder.path(), "Old", prompt));
    EXPECT_TRUE(fs::exists(folder.path() / "Old.VBK"));
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text, "Are you sure you want to delete this backup ?");
    EXPECT_EQ(prompt.shown()[0].caption, "Delete Vantrel Backup");
    EXPECT_EQ(prompt.shown()[0].buttons, PromptButtons::YesNo);

    prompt.ScriptAnswer(PromptAnswer::Yes);
    EXPECT_TRUE(DeleteBackup(folder.path(), "Old", prompt));
    EXPECT_FALSE(fs::exists(folder.path() / "Old.VBK"));
}

TEST_F(BackupFolder, NamesThatLeaveNoUsableTitleAreListedWholeAndReachable) {
    // "..vbk" and "...VBK" would be titled "." and "..", which no lookup accepts; ".vbk" has
    // no title at all and is no backup.
    Store("..vbk", MakeArchive({}));
    Store("...VBK", MakeArchive({}));
    Store(".vbk", MakeArchive({}));
    ASSERT_EQ(Titles(ListBackups(folder.path())), (std::vector<std::string>{"...VBK", "..vbk"}));
    EXPECT_EQ(BackupFileOf(folder.path(), "..vbk"), folder.path() / "..vbk");
    EXPECT_FALSE(BackupFileOf(folder.path(), "."));
    EXPECT_FALSE(BackupFileOf(folder.path(), ".."));

    EXPECT_TRUE(RenameBackup(folder.path(), "...VBK", "Site", prompt));
    EXPECT_TRUE(fs::exists(folder.path() / "Site.VBK"));
    prompt.ScriptAnswer(PromptAnswer::Yes);
    EXPECT_TRUE(DeleteBackup(folder.path(), "..vbk", prompt));
    EXPECT_FALSE(fs::exists(folder.path() / "..vbk"));
    EXPECT_EQ(Titles(ListBackups(folder.path())), std::vector<std::string>{"Site"});
}

}  // namespace
}  // namespace vantrel::test
