// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file writes: new names never replace a file, long names fit, nothing is left behind
// and stale temporary files of gone writers are swept. (Links, permissions: posix/.)

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
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

TEST_F(AtomicFile, StaleTemporaryFilesOfGoneWritersAreSweptBeforeTheNextWrite) {
    const auto twoHoursAgo = fs::file_time_type::clock::now() - std::chrono::hours(2);
    const auto age = [&](const fs::path& file, bool old) {
        std::ofstream(file) << "left behind";
        if (old) fs::last_write_time(file, twoHoursAgo);
    };
    // pid 0x7ffffff0 runs nowhere; our own pid does.
    const fs::path gone = folder_ / ".vantrel-2147483632-A.csv-abcdef.tmp";
    const fs::path older = folder_ / ".vantrel-A.csv-abcdef.tmp";  // written before pids
    const fs::path recent = folder_ / ".vantrel-2147483632-B.csv-abcdef.tmp";
    const fs::path running =
        folder_ / (".vantrel-" + std::to_string(::getpid()) + "-C.csv-abcdef.tmp");
    const fs::path notOurs = folder_ / ".other-2147483632.tmp";
    age(gone, true);
    age(older, true);
    age(recent, false);
    age(running, true);
    age(notOurs, true);

    WriteFileAtomically(folder_ / "North.csv", "text");

    EXPECT_FALSE(fs::exists(gone));
    EXPECT_FALSE(fs::exists(older));
    EXPECT_TRUE(fs::exists(recent));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(notOurs));
}

}  // namespace
}  // namespace vantrel
