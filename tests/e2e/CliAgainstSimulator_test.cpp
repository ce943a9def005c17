// SPDX-License-Identifier: GPL-3.0-or-later
// The `vantrel` tool against vantrel-logger-sim on a pseudo-terminal: backup, restore,
// logger ls/rm, Ctrl-C and a port that does not exist, through the real binaries.

#include <gtest/gtest.h>

#include <csignal>

#include "data/VantrelArchive.h"
#include "e2e/CliE2eSupport.h"

namespace vantrel::e2e {
namespace {

using testing::FileMap;
using testing::SimulatorProcess;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CliAgainstSimulatorTest : public CliWorkspaceTest<CliAgainstSimulatorTest> {
public:
    static std::vector<std::string> ImageArgs() {
        return {"--profiles", "3", "--readings", "40", "--sensors", "4", "--seed", "11"};
    }
};

TEST_F(CliAgainstSimulatorTest, BackupEqualsThePackedImageButForItsDate) {
    SimulatorProcess sim({"--image", ws().Image().string()});
    const test::ProcessResult run = ws().Vantrel({"backup", "Field trip"}, sim.linkPath());
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const fs::path written = ws().Backups() / "Field trip.vbk";
    EXPECT_TRUE(Contains(run.out, "Backup completed (12 files).  Elapsed Time: 00:00:0"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "Backup written to " + written.string())) << run.out;
    EXPECT_EQ(DifferenceButForTheDate(written, ws().PackedBackup()), "");

    // The same name again: a new file "(1)", the first one untouched.
    const std::string before = ReadBytes(written);
    const test::ProcessResult again = ws().Vantrel({"backup", "Field trip.VBK"}, sim.linkPath());
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(fs::exists(ws().Backups() / "Field trip(1).vbk")) << again.out;
    EXPECT_EQ(ReadBytes(written), before);
}

TEST_F(CliAgainstSimulatorTest, RestoreIntoAnEmptyLoggerThenBackUpAgain) {
    FileMap restored;
    {
        SimulatorProcess empty;
        const test::ProcessResult run =
            ws().Vantrel({"restore", ws().PackedBackup().string(), "--yes"}, empty.linkPath());
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        EXPECT_TRUE(Contains(run.out, "Restored 11 files OK.")) << run.out;
        restored = empty.StopAndReadDump();
    }
    FileMap image = testing::ReadFolder(ws().Image());
    image.erase("QUILON.CFG00");  // the logger's own configuration is never restored
    EXPECT_EQ(restored, image);

    // The restored logger backs up to the same files (but the device configuration it never had).
    const fs::path restoredImage = ws().root() / "restored-image";
    testing::WriteFolder(restoredImage, restored);
    SimulatorProcess sim({"--image", restoredImage.string()});
    const test::ProcessResult backup = ws().Vantrel({"backup", "again"}, sim.linkPath());
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    const fs::path packedAgain = ws().root() / "packed-restored.vbk";
    ASSERT_EQ(test::RunProcess(VANTREL_PACK_IMAGE, {restoredImage.string(), packedAgain.string()},
                               ws().ToolOptions())
                  .exitCode,
              0);
    EXPECT_EQ(DifferenceButForTheDate(ws().Backups() / "again.vbk", packedAgain), "");
}

TEST_F(CliAgainstSimulatorTest, LoggerRmStopsAtARefusalAndLeavesTheNamesAfterIt) {
    SimulatorProcess sim({"--image", ws().Image().string()});
    const test::ProcessResult rm =
        ws().Vantrel({"logger", "rm", "SITE0001.id", "NO-SUCH.id", "SITE0002.id"}, sim.linkPath());
    EXPECT_EQ(rm.exitCode, 1) << rm.out << rm.err;

    // Options before the command name work too.
    const test::ProcessResult after = test::RunProcess(
        VANTREL_CLI, {"--port", sim.linkPath(), "logger", "ls"}, ws().ToolOptions());
    EXPECT_EQ(after.exitCode, 0) << after.err;
    EXPECT_FALSE(Contains(after.out, "SITE0001.id")) << after.out;
    EXPECT_TRUE(Contains(after.out, "SITE0002.id")) << after.out;
    EXPECT_TRUE(Contains(after.out, "11 files, ")) << after.out;
}

TEST_F(CliAgainstSimulatorTest, ANameTheLoggerRefusesIsReportedAsItsAnswerWithoutAdvice) {
    CVantrelArchive archive = CVantrelArchive::LoadFromFile(ws().PackedBackup());
    const int filesTotal = 11 + 1;
    archive.m_astrOtherNames.push_back("FIELD NOTES.TXT");  // the logger takes no blank
    archive.m_astrOtherFiles.push_back("4142");
    const fs::path refused = ws().root() / "refused-name.vbk";
    archive.SaveToFile(refused);
    {
        SimulatorProcess sim;
        const test::ProcessResult run =
            ws().Vantrel({"restore", refused.string(), "--yes"}, sim.linkPath());
        EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
        EXPECT_FALSE(Contains(run.out + run.err, "timed out")) << run.out << run.err;
        EXPECT_TRUE(Contains(run.err,
                             "The vantrel refused the file \"FIELD NOTES.TXT\": Invalid "
                             "Filename.\nThe vantrel was erased and now holds " +
                                 std::to_string(filesTotal - 1) + " of this backup's " +
                                 std::to_string(filesTotal) + " files complete.\n"))
            << run.err;
        EXPECT_FALSE(Contains(run.err, "Restoring the same backup again")) << run.err;
    }

    // A stored name with ESC and BEL is refused before anything is sent, shown safely.
    archive.m_astrOtherNames.back() = "EVIL\x1b]0;x\x07.TXT";
    archive.SaveToFile(refused);
    SimulatorProcess sim;
    const test::ProcessResult run =
        ws().Vantrel({"restore", refused.string(), "--yes"}, sim.linkPath());
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_TRUE(Contains(run.err, "(\"EVIL?]0;x?.TXT\")")) << run.err;
    EXPECT_EQ(run.err.find_first_of("\x1b\x07"), std::string::npos) << run.err;
}

TEST_F(CliAgainstSimulatorTest, CtrlCDuringABackupExitsWith130AndLeavesNoFile) {
    // Paced at 9600 baud the download takes long enough to be interrupted in its middle.
    SimulatorProcess sim({"--image", ws().Image().string(), "--baud", "9600"});
    test::CliProcess backup(
        VANTREL_CLI,
        ws().WithLink({"backup", "Interrupted", "--folder", ws().Backups().string()},
                      sim.linkPath()),
        ws().ToolOptions());
    ASSERT_TRUE(backup.WaitForOutput("Retrieving PRO01.DAT00", std::chrono::seconds{30}))
        << backup.Out() << backup.Err();
    const auto interrupted = std::chrono::steady_clock::now();
    backup.Signal(SIGINT);
    EXPECT_EQ(backup.Wait(std::chrono::seconds{15}), 130) << backup.Out() << backup.Err();
    // The link stops at the logger's next answer, not after the whole download.
    EXPECT_LT(std::chrono::steady_clock::now() - interrupted, std::chrono::seconds{5});
    EXPECT_TRUE(Contains(backup.Out(), "ABORTED..Unable to retrieve file")) << backup.Out();
    EXPECT_TRUE(Contains(backup.Err(), "cancelled")) << backup.Err();
    EXPECT_EQ(ws().BackupFolderEntries(), std::vector<std::string>{});

    // The logger is still usable afterwards.
    EXPECT_EQ(ws().Vantrel({"logger", "ls"}, sim.linkPath()).exitCode, 0);
}

TEST_F(CliAgainstSimulatorTest, CtrlCWhileTheLoggerHoldsOffIsACancelAndNoBrokenLine) {
    // Every answer comes 700 ms after a hold-off: the tool is waiting in one nearly always.
    SimulatorProcess sim(
        {"--image", ws().Image().string(), "--holdoff-every", "1", "--holdoff-ms", "700"});
    // Cancelled while connecting, and while listing the files.
    for (const char* awaited : {"Attempting to Connect", "Retrieving File Info"}) {
        SCOPED_TRACE(awaited);
        test::CliProcess backup(
            VANTREL_CLI,
            ws().WithLink({"backup", "Held off", "--folder", ws().Backups().string()},
                          sim.linkPath()),
            ws().ToolOptions());
        ASSERT_TRUE(backup.WaitForOutput(awaited, std::chrono::seconds{30})) << backup.Err();
        backup.Signal(SIGINT);
        EXPECT_EQ(backup.Wait(std::chrono::seconds{15}), 130) << backup.Out() << backup.Err();
        EXPECT_EQ(backup.Err(),
                  "Cancelling (the link stops at the logger's next answer)...\nvantrel: "
                  "cancelled\n");
        EXPECT_TRUE(Contains(backup.Out(), "Communications Closed\n")) << backup.Out();
        for (const char* broken : {"Timed out", "Fatal errors", "Malformed", "Failed to connect"}) {
            EXPECT_FALSE(Contains(backup.Out(), broken)) << backup.Out();
        }
    }
    EXPECT_EQ(ws().BackupFolderEntries(), std::vector<std::string>{});
}

}  // namespace
}  // namespace vantrel::e2e
