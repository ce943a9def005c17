// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file writes: new names never replace a file, long names fit, nothing is left behind
// and temporary files of killed writers are swept. (Links, permissions: posix/.)

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "data/AtomicFile.h"
#include "data/AtomicFileFixture.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

using AtomicFile = test::AtomicFileTest;

TEST_F(AtomicFile, ALongNameThatFitsTheFileSystemCanBeWritten) {
    const fs::path path = folder_ / (std::string(250, 'n') + ".csv");
    WriteFileAtomically(path, "text");
    EXPECT_EQ(Read(path), "text");
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(AtomicFile, ANewFileNeverReplacesOneAndAnUnnamedFileLeavesNothing) {
    const fs::path path = folder_ / "Site.vbk";
    WriteFileAtomically(path, "first");
    {
        UnpublishedFile second(folder_, "second");
        EXPECT_FALSE(second.PublishNew(path));  // taken: try another name
        EXPECT_TRUE(second.PublishNew(folder_ / "Site(1).vbk"));
        UnpublishedFile dropped(folder_, "never named");
    }
    EXPECT_EQ(Read(path), "first");
    EXPECT_EQ(Read(folder_ / "Site(1).vbk"), "second");
    EXPECT_EQ(EntryCount(), 2u);  // the unnamed one left nothing
}

TEST_F(AtomicFile, AFileGivenInManyPiecesLandsWholeAndOneWhoseSourceFailsLeavesNothing) {
    const fs::path path = folder_ / "North.csv";
    WriteFileAtomically(path, "old");
    // Pieces of every size up to some 5 kB (the first one empty), 2.5 MB in all.
    std::string expected;
    int given = 0;
    WriteFileAtomically(path, [&](std::string& piece) {
        if (given == 1000) return false;
        piece.assign(static_cast<std::size_t>(given * 7 % 5003),
                     static_cast<char>('a' + given % 26));
        expected += piece;
        ++given;
        return true;
    });
    EXPECT_EQ(Read(path), expected);

    EXPECT_THROW(WriteFileAtomically(path, test::FailingAfter(3)), std::system_error);
    EXPECT_THROW(UnpublishedFile(folder_, test::FailingAfter(3)), std::system_error);
    EXPECT_EQ(Read(path), expected);
    EXPECT_EQ(EntryCount(), 1u);  // no temporary file
}

TEST_F(AtomicFile, AKilledWritersTemporaryFileIsSweptAtTheNextWriteAndALiveWritersIsNot) {
    // A live writer: its file has a hidden name where unnamed files are not to be had (on
    // Windows, and on FAT: ops/FatWrites_test.cpp).
    UnpublishedFile live(folder_, "being written");
    // What a killed writer leaves: a hidden name nothing holds any more, however young, and
    // whatever runs under its pid now (here: this process).
    const fs::path killed =
        folder_ / (".vantrel-" + std::to_string(::getpid()) + "-new-abcdef.tmp");
    const fs::path notOurs = folder_ / ".other-2147483632.tmp";
    std::ofstream(killed) << "left behind";
    std::ofstream(notOurs) << "not ours";

    WriteFileAtomically(folder_ / "North.csv", "text");

    EXPECT_FALSE(fs::exists(killed));
    EXPECT_TRUE(fs::exists(notOurs));
    EXPECT_TRUE(live.PublishNew(folder_ / "South.csv"));
    EXPECT_EQ(Read(folder_ / "South.csv"), "being written");
}

}  // namespace
}  // namespace vantrel
