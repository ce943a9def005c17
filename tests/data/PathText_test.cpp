// SPDX-License-Identifier: GPL-3.0-or-later
// Paths as UTF-8 text: names beyond ASCII survive the way through the file system, and file
// names and separators are read the way the platform writes them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "base/PathText.h"
#include "data/AtomicFile.h"
#include "data/AtomicFileFixture.h"
#include "data/TestRecords.h"
#include "data/VantrelArchive.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

using PathText = test::AtomicFileTest;

TEST_F(PathText, NamesBeyondAsciiAreWrittenListedAndReadBackAsTheyWereGiven) {
    const CVantrelArchive archive = test::SmallArchive();
    for (const std::string name : {"Zürich", "東京", "Ørsted (Pro03)"}) {
        EXPECT_EQ(Utf8FromPath(PathFromUtf8(name)), name);
        const fs::path folder = folder_ / PathFromUtf8(name);
        fs::create_directory(folder);
        const fs::path file = folder / PathFromUtf8(name + ".vbk");
        archive.SaveToFile(file);
        EXPECT_EQ(CVantrelArchive::LoadFromFile(file), archive) << name;
        std::vector<std::string> listed;
        for (const auto& entry : fs::directory_iterator(folder))
            listed.push_back(Utf8FromPath(entry.path().filename()));
        EXPECT_EQ(listed, std::vector<std::string>{name + ".vbk"});
    }
}

TEST_F(PathText, FileNamesCompareAndSplitAsThePlatformDoes) {
    WriteFileAtomically(folder_ / "North.vbk", "x");
    WriteFileAtomically(folder_ / PathFromUtf8("Zürich"), "x");
    // Whatever the file system does with letter case, the comparison does the same.
    EXPECT_EQ(SameFileName("North.vbk", "NORTH.VBK"), fs::exists(folder_ / "NORTH.VBK"));
    EXPECT_EQ(SameFileName("Zürich", "ZÜRICH"), fs::exists(folder_ / PathFromUtf8("ZÜRICH")));
    EXPECT_TRUE(SameFileName("North.vbk", "North.vbk"));
    EXPECT_FALSE(SameFileName("North.vbk", "North.vbk.tmp"));

    const std::string path = Utf8FromPath(folder_ / "North.vbk");
    EXPECT_EQ(path.substr(LastPathSeparator(path) + 1), "North.vbk");
    EXPECT_EQ(LastPathSeparator(std::string("a/b") + kPathSeparator + "c.d"), 3u);
    EXPECT_EQ(LastPathSeparator("North.vbk"), std::string::npos);
}

TEST_F(PathText, AFolderWhosePathIsLongerThan260CharactersWorksLikeAnyOther) {
    fs::path folder = folder_;
    while (Utf8FromPath(folder).size() <= 300) folder /= std::string(60, 'd');
    fs::create_directories(folder);
    const CVantrelArchive archive = test::SmallArchive();
    const fs::path file = folder / "North.vbk";
    archive.SaveToFile(file);

    std::error_code error;
    const std::vector<FolderEntry> entries = ReadFolder(folder, error);
    ASSERT_EQ(entries.size(), 1u) << "another folder was listed";
    EXPECT_EQ(entries[0].name, "North.vbk");
    EXPECT_EQ(entries[0].kind, FileKind::Regular);
    EXPECT_EQ(KindOfFile(folder, error), FileKind::Folder);
    EXPECT_EQ(CVantrelArchive::LoadFromFile(file), archive);
    EXPECT_FALSE(ProbeFolderWrite(folder));
    EXPECT_FALSE(RenameNoReplace(file, folder / "South.vbk"));
    EXPECT_TRUE(SameFile(folder / "South.vbk", folder / "." / "South.vbk"));
    EXPECT_TRUE(RemoveFile(folder / "South.vbk", error)) << error.message();
    EXPECT_EQ(KindOfFile(folder / "South.vbk", error), FileKind::None);
    EXPECT_FALSE(error);
    // Emptied folder by folder: removing a whole tree lists it, which the C runtime cannot.
    for (; folder != folder_; folder = folder.parent_path()) fs::remove(folder, error);
}

}  // namespace
}  // namespace vantrel
