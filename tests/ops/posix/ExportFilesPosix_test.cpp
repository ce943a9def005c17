// SPDX-License-Identifier: GPL-3.0-or-later
// Export tests that need POSIX facilities: symbolic links (which Windows grants only to
// administrators), named pipes in the file system, and the file-size limit of a process
// (RLIMIT_FSIZE). Built on POSIX only.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "ops/ExportFilesFixture.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::ExportFilesTest;
using test::MakeArchive;
using test::Profile;
using test::ReadBytes;

TEST_F(ExportFilesTest, ExportsThroughALinkAndToItsTargetTakeTurnsAndKeepTheLink) {
    // The profile file is a link into another folder; the other export writes that folder's
    // file directly. Both must lock the folder of the file actually replaced.
    const fs::path elsewhere = folder.path() / "elsewhere";
    fs::create_directories(elsewhere);
    const std::string otherExportFile = (elsewhere / "North.csv").string();
    const std::string target = ProfileFileName(otherExportFile, 3);
    fs::create_symlink(target, FileOf(3));
    ExpectRacingAppendsLoseNothing(otherExportFile, target);
    EXPECT_TRUE(fs::is_symlink(FileOf(3)));
}

TEST_F(ExportFilesTest, AnExistingPipeEndsTheExportWithTheReadErrorWithoutBlocking) {
    ASSERT_EQ(::mkfifo(FileOf(3).c_str(), 0600), 0);
    const ExportReport report = Export(MakeArchive({Profile("03", 0, 2), Profile("04", 0, 2)}));
    EXPECT_EQ(report.fatalError, "Error opening file for reading");
    EXPECT_EQ(report.profiles.size(), 1u);
    EXPECT_FALSE(fs::exists(FileOf(4)));
}

// Limits the size of files this process may write, so that the next write fails halfway.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(ExportFilesTest, FailedRewriteLeavesTheOldFileIntactAndEndsTheExport) {
    Export(MakeArchive({Profile("03", 0, 5)}));
    const std::string before = ReadBytes(FileOf(3));
    ExportReport report;
    {
        FileSizeLimit limit(before.size() + 20);  // the appended file is larger
        report = Export(MakeArchive({Profile("03", 0, 9), Profile("04", 0, 1)}));
    }
    EXPECT_EQ(report.fatalError.rfind("Error opening file for writing\n", 0), 0u);
    ASSERT_EQ(report.profiles.size(), 1u);
    EXPECT_EQ(report.profiles[0].outcome, ProfileOutcome::WriteFailed);
    EXPECT_EQ(ReadBytes(FileOf(3)), before);
    EXPECT_FALSE(fs::exists(FileOf(4)));
    EXPECT_TRUE(NoTemporaryFilesLeft());
}

TEST_F(ExportFilesTest, AnExportKilledWhileItGrowsAFileLeavesThatFileWhole) {
    std::string text;
    GrowWithAHole(std::uintmax_t{3} << 20, text);  // three pieces to copy
    const test::FileIdentity before = test::IdentityOf(FileOf(3));
    const CVantrelArchive later = MakeArchive({Profile("03", 1995, 8)});
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Killed once a piece of the grown file is written, before the next one is read.
        ExportProfiles(later, {0}, ExportFormat::Calibrated, exportFile,
                       FailingAtPiece(2, [] { ::raise(SIGKILL); }));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_TRUE(test::IdentityOf(FileOf(3)) == before);
    // The next export grows it, and leaves no temporary file of the killed one.
    EXPECT_EQ(Export(later).lists.appended, std::vector<int>{3});
    EXPECT_TRUE(NoTemporaryFilesLeft());
}

TEST_F(ExportFilesTest, FailedFirstWriteLeavesNoFileBehind) {
    {
        FileSizeLimit limit(100);
        EXPECT_EQ(Export(MakeArchive({Profile("03", 0, 5)}))
                      .fatalError.rfind("Error opening file for writing\n", 0),
                  0u);
    }
    EXPECT_FALSE(fs::exists(FileOf(3)));
    EXPECT_TRUE(NoTemporaryFilesLeft());
}

}  // namespace
}  // namespace vantrel
