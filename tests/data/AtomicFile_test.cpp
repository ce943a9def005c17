// Whole-file writes: links written through, permissions kept, read-only files left alone.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace
}  // namespace vantrel
