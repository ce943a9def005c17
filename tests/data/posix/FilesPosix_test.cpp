// SPDX-License-Identifier: GPL-3.0-or-later
// File tests that need POSIX facilities: permission bits and a user without the right to
// write (setuid), symbolic links (which Windows grants only to administrators), named pipes
// and devices in the file system. Built on POSIX only.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "data/AtomicFile.h"
#include "data/AtomicFileFixture.h"
#include "data/Excludes.h"
#include "data/VantrelArchive.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public test::AtomicFileTest {
protected:
    static mode_t ModeOf(const fs::path& path) {
        struct stat info {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
        return info.st_mode & 07777;
    }
};

// Where the file system gives unnamed files, a live writer's file has a hidden name only for
// an instant: its lock, held here by a second open, is what keeps the sweep away.
TEST_F(AtomicFile, ATemporaryFileThatItsWriterStillLocksIsNotSwept) {
    const fs::path held = folder_ / ".vantrel-2147483632-new-abcdef.tmp";
    const int fd = ::open(held.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    WriteFileAtomically(folder_ / "North.csv", "text");
    EXPECT_TRUE(fs::exists(held));
    ::close(fd);
    WriteFileAtomically(folder_ / "North.csv", "text");
    EXPECT_FALSE(fs::exists(held));
}

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

TEST_F(AtomicFile, ALinkToADeviceOrAFolderIsNeverReplacedByAFile) {
    const fs::path device = folder_ / "to-null";
    fs::create_symlink("/dev/null", device);
    EXPECT_THROW(WriteFileAtomically(device, "text"), std::system_error);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    fs::create_directories(folder_ / "folder");
    EXPECT_THROW(WriteFileAtomically(folder_ / "folder", "text"), std::system_error);
    EXPECT_TRUE(fs::is_directory(folder_ / "folder"));
}

TEST(ArchiveLoad, OnlyRegularFilesAreReadAndNothingWaitsForAWriter) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vantrel-fifo-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path pipe = folder / "pipe.vbk";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // A pipe would block the open until a writer came; a device would never end.
    for (const std::filesystem::path& path : {pipe, std::filesystem::path("/dev/zero")}) {
        try {
            CVantrelArchive::LoadFromFile(path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const std::system_error& error) {
            EXPECT_EQ(error.code().value(), EINVAL) << path;
        }
    }
    std::filesystem::remove_all(folder);
}

using PosixFiles = test::AtomicFileTest;

TEST_F(PosixFiles, AnExcludesFileThatIsAPipeIsNotRead) {
    // Reading it would wait for a writer: it counts as missing, which excludes only "Empty".
    const fs::path pipe = folder_ / "pipe.ini";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(IsExcluded("PRODUCTS.GR", pipe));
    EXPECT_TRUE(IsExcluded("Empty", pipe));
}

}  // namespace
}  // namespace vantrel
