// SPDX-License-Identifier: GPL-3.0-or-later
// The `vantrel` tool under stress: backups over a line with every kind of fault, and a
// backup killed with SIGKILL at random moments, which must never leave a file under the
// final name that is not a complete backup, nor anything `vantrel list` would show.
// Short CI runs; bench/backup_soak.sh runs the long ones.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <cstdlib>
#include <random>
#include <thread>

#include "e2e/CliE2eSupport.h"

namespace vantrel::e2e {
namespace {

using testing::SimulatorProcess;

// SOAK_ROUNDS / KILL_ROUNDS in the environment lengthen the runs.
int Rounds(const char* variable, int fallback) {
    const char* text = std::getenv(variable);
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

TEST(CliSoakTest, EveryBackupOverAFaultyLineEqualsTheCleanOne) {
    CliWorkspace ws({"--profiles", "2", "--readings", "12", "--sensors", "3", "--seed", "21"});
    // About one reply in ten goes wrong: hold-offs, NAKs, bad LRCs and dropped replies
    // (the rarest, since each costs a time-out of the transport).
    SimulatorProcess sim({"--image", ws.Image().string(), "--holdoff-every", "40", "--holdoff-ms",
                          "300", "--nak-every", "30", "--bad-lrc-every", "30", "--drop-every", "60",
                          "--seed", "7"});
    const int rounds = Rounds("SOAK_ROUNDS", 20);
    int retried = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::string name = "soak " + std::to_string(round);
        const test::ProcessResult run = ws.Vantrel({"backup", name}, sim.linkPath());
        ASSERT_EQ(run.exitCode, 0) << name << "\n" << run.out << run.err;
        EXPECT_EQ(DifferenceButForTheDate(ws.Backups() / (name + ".vbk"), ws.PackedBackup()), "")
            << name;
        if (run.out.find("Attempting to re-send") != std::string::npos) ++retried;
    }
    // The faults really happened: most backups needed at least one retry.
    EXPECT_GT(retried, rounds / 2);
}

// The rows `vantrel list --json` shows, as (title, file) pairs.
std::vector<std::pair<std::string, std::string>> ListedBackups(const CliWorkspace& ws) {
    const test::ProcessResult run = ws.Vantrel({"list", "--json"}, "");
    std::vector<std::pair<std::string, std::string>> rows;
    for (const QJsonValue& row :
         QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).array()) {
        rows.emplace_back(row.toObject()["title"].toString().toStdString(),
                          row.toObject()["file"].toString().toStdString());
    }
    return rows;
}

// SIGKILL, SIGTERM and SIGHUP in turn: the last two are cancels that end by the
// operation's own path; none may leave a partial file or a temporary one.
int SignalOfRound(int round) {
    constexpr int kSignals[] = {SIGKILL, SIGTERM, SIGHUP};
    return kSignals[(round / 2) % 3];
}

TEST(CliKillTest, ABackupKilledAtAnyMomentLeavesNoPartialBackup) {
    CliWorkspace ws({"--profiles", "1", "--readings", "6", "--sensors", "2", "--seed", "3"});
    // Paced, so that kills land inside the download; unpaced, so that the download is
    // over at once and kills land in the sorting and writing.
    SimulatorProcess paced({"--image", ws.Image().string(), "--baud", "38400"});
    SimulatorProcess unpaced({"--image", ws.Image().string()});
    std::mt19937 random(20260);
    const int rounds = Rounds("KILL_ROUNDS", 12);
    int completeBeforeKill = 0;
    for (int round = 0; round < 2 * rounds; ++round) {
        const bool duringDownload = round % 2 == 0;
        const std::string link = duringDownload ? paced.linkPath() : unpaced.linkPath();
        test::CliProcess backup(
            VANTREL_CLI, ws.WithLink({"backup", "Killed", "--folder", ws.Backups().string()}, link),
            ws.ToolOptions());
        if (duringDownload) {
            ASSERT_TRUE(backup.WaitForOutput("Retrieving", std::chrono::seconds{10}))
                << backup.Out() << backup.Err();
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 1200));
        } else {
            ASSERT_TRUE(backup.WaitForOutput("Comms Closed", std::chrono::seconds{10}))
                << backup.Out() << backup.Err();
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        }
        const int signal = SignalOfRound(round);
        backup.Signal(signal);
        const int status = backup.Wait(std::chrono::seconds{10});
        ASSERT_TRUE(status == 128 + signal || status == 0) << status << backup.Err();
        EXPECT_EQ(LeftoversIn(ws.Backups()), std::vector<std::string>{}) << "round " << round;

        const fs::path final = ws.Backups() / "Killed.vbk";
        if (fs::exists(final)) {
            // Killed after the rename: the file is the whole backup.
            EXPECT_EQ(DifferenceButForTheDate(final, ws.PackedBackup()), "") << "round " << round;
            ++completeBeforeKill;
        }
        for (const auto& [title, file] : ListedBackups(ws)) {
            EXPECT_EQ(title, "Killed") << "a stray file is listed: " << file;
        }
        fs::remove(final);
    }
    // The logger and the tool still work after every kill.
    const test::ProcessResult last = ws.Vantrel({"backup", "after"}, paced.linkPath());
    EXPECT_EQ(last.exitCode, 0) << last.err;
    EXPECT_EQ(DifferenceButForTheDate(ws.Backups() / "after.vbk", ws.PackedBackup()), "");
    RecordProperty("complete_before_kill", completeBeforeKill);
}

TEST(CliKillTest, AnExportKilledAtAnyMomentLeavesWholeFilesAndNoTemporaryOne) {
    CliWorkspace ws({"--profiles", "6", "--readings", "3000", "--sensors", "8", "--seed", "5"});
    const fs::path clean = ws.root() / "clean";
    fs::create_directories(clean);
    const test::ProcessResult reference = test::RunProcess(
        VANTREL_CLI, {"export", ws.PackedBackup().string(), "--out", (clean / "Site.csv").string()},
        ws.ToolOptions());
    ASSERT_EQ(reference.exitCode, 0) << reference.err;

    std::mt19937 random(77);
    const int rounds = Rounds("KILL_ROUNDS", 12);
    int killedMidway = 0;
    for (int round = 0; round < rounds; ++round) {
        const fs::path out = ws.root() / ("killed" + std::to_string(round));
        fs::create_directories(out);
        test::CliProcess exporter(
            VANTREL_CLI,
            {"export", ws.PackedBackup().string(), "--out", (out / "Site.csv").string()},
            ws.ToolOptions());
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 60000));
        const int signal = SignalOfRound(2 * round);
        exporter.Signal(signal);
        const int status = exporter.Wait(std::chrono::seconds{10});
        ASSERT_TRUE(status == 128 + signal || status == 0) << status << exporter.Err();
        if (status != 0) ++killedMidway;
        EXPECT_EQ(LeftoversIn(out), std::vector<std::string>{}) << "round " << round;
        for (const auto& entry : fs::directory_iterator(out)) {
            const fs::path name = entry.path().filename();
            EXPECT_TRUE(ReadBytes(entry.path()) == ReadBytes(clean / name)) << name << " cut off";
        }
    }
    RecordProperty("exports_killed_midway", killedMidway);
}

}  // namespace
}  // namespace vantrel::e2e
