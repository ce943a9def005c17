// SPDX-License-Identifier: GPL-3.0-or-later
// The `vantrel` tool where data could be lost: racing backups, backups that cannot be
// restored, restores that end early, and files a backup leaves out.

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <thread>

#include "data/VantrelArchive.h"
#include "e2e/CliE2eSupport.h"

namespace vantrel::e2e {
namespace {

using testing::FileMap;
using testing::SimulatorProcess;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The path after "Backup written to " in a backup's output.
std::string WrittenPath(const std::string& out) {
    const std::string marker = "Backup written to ";
    const std::size_t at = out.find(marker);
    if (at == std::string::npos) return {};
    const std::size_t end = out.find('\n', at);
    return out.substr(at + marker.size(), end - at - marker.size());
}

class CliNothingLostTest : public CliWorkspaceTest<CliNothingLostTest> {
public:
    static std::vector<std::string> ImageArgs() {
        return {"--profiles", "2", "--readings", "30", "--sensors", "3", "--seed", "41"};
    }
};

TEST_F(CliNothingLostTest, TwoBackupsRacingForOneNameKeepBothAndSayWhereEachWent) {
    SimulatorProcess first({"--image", ws().Image().string(), "--baud", "38400"});
    SimulatorProcess second({"--image", ws().Image().string(), "--baud", "38400"});
    const std::vector<std::string> args = {"backup", "Same", "--folder", ws().Backups().string()};
    // The first to have chosen a name waits until the other has chosen one too.
    const fs::path marks = ws().root() / "marks";
    fs::create_directories(marks);
    test::ProcessOptions options = ws().ToolOptions();
    options.env.push_back("VANTREL_TEST_RACE_FOLDER=" + marks.string());
    test::CliProcess one(VANTREL_CLI, ws().WithLink(args, first.linkPath()), options);
    test::CliProcess two(VANTREL_CLI, ws().WithLink(args, second.linkPath()), options);
    ASSERT_EQ(one.Wait(std::chrono::seconds{120}), 0) << one.Err();
    ASSERT_EQ(two.Wait(std::chrono::seconds{120}), 0) << two.Err();
    // Both chose "Same.vbk" before either took it; the one refused chose again.
    std::size_t named = 0;
    for (const auto& mark : fs::directory_iterator(marks)) {
        named += mark.path().filename().string().starts_with("backup-named.") ? 1 : 0;
    }
    EXPECT_EQ(named, 3u);

    const std::string pathOne = WrittenPath(one.Out());
    const std::string pathTwo = WrittenPath(two.Out());
    EXPECT_NE(pathOne, pathTwo);
    std::vector<std::string> entries = ws().BackupFolderEntries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"Same(1).vbk", "Same.vbk"}));
    for (const std::string& path : {pathOne, pathTwo}) {
        EXPECT_EQ(DifferenceButForTheDate(path, ws().PackedBackup()), "") << path;
    }
}

TEST_F(CliNothingLostTest, ABackupThatCannotBeRestoredLeavesTheLoggerUntouched) {
    // A file of zeros loads as a backup of nothing; a name with a quote breaks the frame.
    const fs::path zeros = ws().root() / "zeros.vbk";
    std::ofstream(zeros, std::ios::binary) << std::string(4096, '\0');
    CVantrelArchive quoted = CVantrelArchive::LoadFromFile(ws().PackedBackup());
    quoted.m_astrOtherNames.push_back("NOTE\"S.TXT");
    quoted.m_astrOtherFiles.push_back("4142");
    const fs::path badName = ws().root() / "bad-name.vbk";
    quoted.SaveToFile(badName);

    for (const auto& [file, message] :
         {std::pair{zeros, "holds no vantrel files"}, std::pair{badName, "cannot take"}}) {
        SimulatorProcess sim({"--image", ws().Image().string()});
        const test::ProcessResult run =
            ws().Vantrel({"restore", file.string(), "--yes"}, sim.linkPath());
        EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
        EXPECT_TRUE(Contains(run.err, message)) << run.err;
        EXPECT_EQ(sim.StopAndReadDump(), testing::ReadFolder(ws().Image())) << file;
    }
    // info shows the file of zeros as holding nothing.
    const test::ProcessResult info =
        test::RunProcess(VANTREL_CLI, {"info", zeros.string()}, ws().ToolOptions());
    EXPECT_TRUE(Contains(info.out, "Logger files:    0 (holds nothing: it cannot be restored)"))
        << info.out;
}

TEST_F(CliNothingLostTest, ACancelledRestoreLeavesNoCutOffFileAndSaysWhatTheLoggerHolds) {
    SimulatorProcess sim({"--baud", "38400"});
    test::CliProcess restore(
        VANTREL_CLI,
        ws().WithLink({"restore", ws().PackedBackup().string(), "--yes"}, sim.linkPath()),
        ws().ToolOptions());
    ASSERT_TRUE(restore.WaitForOutput("Uploading PRO01.DAT00", std::chrono::seconds{60}))
        << restore.Out() << restore.Err();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    restore.Signal(SIGINT);
    EXPECT_EQ(restore.Wait(std::chrono::seconds{30}), 130) << restore.Err();

    EXPECT_TRUE(Contains(restore.Err(), "The vantrel was erased and now holds ")) << restore.Err();
    EXPECT_TRUE(Contains(restore.Err(), "Restoring the same backup again puts it right.\n"))
        << restore.Err();
    // Every file the logger holds is whole: equal to the same file of the image.
    const FileMap image = testing::ReadFolder(ws().Image());
    const FileMap held = sim.StopAndReadDump();
    EXPECT_FALSE(held.empty());
    for (const auto& [name, bytes] : held) {
        ASSERT_TRUE(image.contains(name)) << name;
        EXPECT_EQ(bytes, image.at(name)) << name << " is cut off";
    }
    EXPECT_FALSE(held.contains("PRO01.DAT00"));

    // The next command that talks to the logger tells it, once.
    SimulatorProcess next;
    const std::string notice = "The restore of \"" + ws().PackedBackup().string() + "\" to " +
                               sim.linkPath() + " was cancelled.\nThe logger holds " +
                               std::to_string(held.size()) + " of the backup's " +
                               std::to_string(image.size() - 1) +
                               " files.\nRestoring the same backup again puts it right.\n";
    EXPECT_TRUE(Contains(ws().Vantrel({"logger", "ls"}, next.linkPath()).err, notice));
    EXPECT_FALSE(Contains(ws().Vantrel({"logger", "ls"}, next.linkPath()).err, "restore"));
}

TEST_F(CliNothingLostTest, ARestoreStillRunningIsNeverToldAndOneKilledIsToldWithItsFile) {
    SimulatorProcess logger({"--baud", "38400"});
    SimulatorProcess other({"--image", ws().Image().string()});
    test::CliProcess restore(
        VANTREL_CLI,
        ws().WithLink({"restore", ws().PackedBackup().string(), "--yes"}, logger.linkPath()),
        ws().ToolOptions());
    ASSERT_TRUE(restore.WaitForOutput("Uploading PRO01.DAT00", std::chrono::seconds{60}))
        << restore.Out() << restore.Err();
    restore.Signal(SIGSTOP);  // held where it is: still running, with its record and its lock

    // Another start, on another logger, while the restore runs: not a word of it.
    const test::ProcessResult meanwhile = ws().Vantrel({"logger", "ls"}, other.linkPath());
    EXPECT_EQ(meanwhile.exitCode, 0) << meanwhile.err;
    EXPECT_FALSE(Contains(meanwhile.err, "restore")) << meanwhile.err;

    restore.Signal(SIGKILL);
    EXPECT_EQ(restore.Wait(std::chrono::seconds{10}), 128 + SIGKILL);
    const FileMap image = testing::ReadFolder(ws().Image());
    const FileMap held = logger.StopAndReadDump();
    const std::string told = ws().Vantrel({"logger", "ls"}, other.linkPath()).err;
    EXPECT_TRUE(Contains(told, "The restore of \"" + ws().PackedBackup().string() + "\" to " +
                                   logger.linkPath() +
                                   " was cut off: the program ended during it.\n"))
        << told;
    // The file it was writing is named; any file cut off on the logger is that one.
    EXPECT_TRUE(Contains(told, " may be cut off on the logger.\n")) << told;
    for (const auto& [name, bytes] : held) {
        if (bytes != image.at(name)) {
            EXPECT_TRUE(Contains(told, name + " may be cut off on the logger.")) << told;
        }
    }
    EXPECT_FALSE(Contains(ws().Vantrel({"logger", "ls"}, other.linkPath()).err, "restore"));
}

TEST_F(CliNothingLostTest, ABackupNamesEveryFileItLeavesOut) {
    FileMap image = testing::ReadFolder(ws().Image());
    image["Empty"] = "always left out";
    image["PRO09.DAT00"] = image.at("PRO01.DAT00");  // no PRO09.CFG00
    image["NOTES.TXT"] = "named by the Excludes list";
    const fs::path folder = ws().root() / "image-with-extras";
    testing::WriteFolder(folder, image);
    std::ofstream(ws().root() / "Vantrel.ini") << "[Excludes]\nExclude#1=NOTES.TXT\n";

    SimulatorProcess sim({"--image", folder.string()});
    const test::ProcessResult run = ws().Vantrel({"backup", "Extras"}, sim.linkPath());
    fs::remove(ws().root() / "Vantrel.ini");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::size_t completed = run.out.find("Backup completed");
    const std::size_t named = run.out.find("These vantrel files are not in the backup:");
    ASSERT_NE(named, std::string::npos) << run.out;
    EXPECT_LT(completed, named) << run.out;
    EXPECT_TRUE(Contains(run.out, "\nEmpty: ")) << run.out;
    EXPECT_TRUE(Contains(run.out, "\nPRO09.DAT00: a profile data file without its configuration"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "\nNOTES.TXT: named by the Excludes list")) << run.out;
}

TEST_F(CliNothingLostTest, AMessageNeverOvertakesTheStatusPostedBeforeIt) {
    FileMap image = testing::ReadFolder(ws().Image());
    image.erase("ORTVELSOIL.CFG01");
    const fs::path folder = ws().root() / "image-without-soil";
    testing::WriteFolder(folder, image);
    SimulatorProcess sim({"--image", folder.string()});
    // Both streams into one, as on a terminal.
    const std::string command = std::string(VANTREL_CLI) + " backup NoSoil --folder '" +
                                ws().Backups().string() + "' --port '" + sim.linkPath() + "' 2>&1";
    const test::ProcessResult run =
        test::RunProcess("/bin/sh", {"-c", command}, ws().ToolOptions());
    EXPECT_EQ(run.exitCode, 1);
    const std::size_t status = run.out.find("Comms Closed. Processing Data...");
    const std::size_t message = run.out.find("Ortvel Soil File missing - Aborted");
    ASSERT_NE(message, std::string::npos) << run.out;
    EXPECT_LT(status, message) << run.out;
}

TEST_F(CliNothingLostTest, ATraceThatFillsTheDiskIsAWarningAndTheBackupGoesOn) {
    SimulatorProcess sim({"--image", ws().Image().string()});
    const test::ProcessResult run =
        ws().Vantrel({"backup", "Traced", "--trace", "/dev/full"}, sim.linkPath());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.err,
                         "warning: the trace file '/dev/full' could not be written (No "
                         "space left on device); the trace stops here"))
        << run.err;
    EXPECT_EQ(DifferenceButForTheDate(ws().Backups() / "Traced.vbk", ws().PackedBackup()), "");
}

TEST_F(CliNothingLostTest, BackupsNamedLikeDotsAreListedByFileNameAndReachable) {
    fs::copy_file(ws().PackedBackup(), ws().Backups() / "..vbk");
    fs::copy_file(ws().PackedBackup(), ws().Backups() / "...vbk");
    const test::ProcessResult list = ws().Vantrel({"list", "--json"}, "");
    EXPECT_TRUE(Contains(list.out, "\"title\": \"..vbk\"")) << list.out;
    EXPECT_TRUE(Contains(list.out, "\"title\": \"...vbk\"")) << list.out;

    EXPECT_EQ(ws().Vantrel({"delete", "..vbk", "--yes"}, "").exitCode, 0);
    const test::ProcessResult rename = ws().Vantrel({"rename", "...vbk", "Dots"}, "");
    EXPECT_EQ(rename.exitCode, 0) << rename.err;
    EXPECT_EQ(ws().BackupFolderEntries(), std::vector<std::string>{"Dots.vbk"});
}

}  // namespace
}  // namespace vantrel::e2e
