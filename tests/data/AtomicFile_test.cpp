// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file writes: links written through, permissions kept, read-only files left alone.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "data/AtomicFile.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("vantrel-atomic-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static mode_t ModeOf(const fs::path& path) {
        struct stat info {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
        return info.st_mode & 07777;
    }
    std::size_t EntryCount() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }

    fs::path folder_;
};

TEST_F(AtomicFile, WritesThroughASymbolicLinkAndKeepsTheLink) {
    const fs::path real = folder_ / "real.csv";
    const fs::path link = folder_ / "link.csv";
    WriteFileAtomically(real, "old");
    fs::create_symlink(real.filename(), link);
    WriteFileAtomically(link, "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(real), "new");
    EXPECT_EQ(EntryCount(), 2u);
}

TEST_F(AtomicFile, AReplacedFileKeepsItsPermissions) {
    const fs::path path = folder_ / "North (Pro03).csv";
    for (mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0664}}) {
        WriteFileAtomically(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        WriteFileAtomically(path, "new");
        EXPECT_EQ(ModeOf(path), mode);
        EXPECT_EQ(Read(path), "new");
    }
}

TEST_F(AtomicFile, AReadOnlyFileIsNotReplaced) {
    const fs::path path = folder_ / "kept.csv";
    WriteFileAtomically(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
    // As an ordinary user: the super-user may write any file.
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(3);
            try {
                WriteFileAtomically(path, "new");
            } catch (const std::system_error& error) {
                std::_Exit(error.code().value() == EACCES ? 0 : 1);
            }
            std::_Exit(2);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(Read(path), "old");
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(AtomicFile, ALongNameThatFitsTheFileSystemCanBeWritten) {
    const fs::path path = folder_ / (std::string(250, 'n') + ".csv");
    WriteFileAtomically(path, "text");
    EXPECT_EQ(Read(path), "text");
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(AtomicFile, ALinkToADeviceOrAFolderIsNeverReplacedByAFile) {
    const fs::path device = folder_ / "to-null";
    fs::create_symlink("/dev/null", device);
    EXPECT_THROW(WriteFileAtomically(device, "text"), std::system_error);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    fs::create_directories(folder_ / "folder");
    EXPECT_THROW(WriteFileAtomically(folder_ / "folder", "text"), std::system_error);
    EXPECT_TRUE(fs::is_directory(folder_ / "folder"));
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
