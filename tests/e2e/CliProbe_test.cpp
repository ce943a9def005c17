// SPDX-License-Identifier: GPL-3.0-or-later
// `vantrel ports --probe` against vantrel-logger-sim set to one rate (--strict-baud): the
// rate found at each of the three, only Connect and Close Link on the wire, storing the
// result, no logger, a port that cannot be opened, and Ctrl-C.

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/ChildProcess.h"
#include "support/SimulatorProcess.h"

namespace vantrel::e2e {
namespace {

namespace fs = std::filesystem;
using vantrel::testing::SimulatorProcess;
using vantrel::testing::TempDir;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class CliProbeTest : public ::testing::Test {
protected:
    test::ProcessOptions Options() const {
        test::ProcessOptions options;
        options.env = {"XDG_CONFIG_HOME=" + (home_.path() / "config").string(),
                       "HOME=" + home_.path().string(), "LC_ALL=C"};
        return options;
    }
    test::ProcessResult Vantrel(const std::vector<std::string>& args) const {
        return test::RunProcess(VANTREL_CLI, args, Options());
    }
    std::string StoredSettings() const { return Vantrel({"settings"}).out; }

    TempDir home_;
};

TEST_F(CliProbeTest, FindsEachRateSendingOnlyConnectAndCloseLinkAndStoresNothingUnasked) {
    // The simulator may be held up on a busy machine; a try given up before its answer
    // would count as the wrong rate.
    test::ProcessOptions options = Options();
    options.env.push_back("VANTREL_TEST_PROBE_TIMEOUT_MS=3000");
    for (const int rate : {38400, 19200, 9600}) {
        TempDir scratch;
        const fs::path log = scratch.path() / "line.log";
        SimulatorProcess sim(
            {"--baud", std::to_string(rate), "--strict-baud", "--log", log.string()});
        const std::string before = StoredSettings();
        const test::ProcessResult run =
            test::RunProcess(VANTREL_CLI, {"ports", "--probe", "--port", sim.linkPath()}, options);
        EXPECT_EQ(run.exitCode, 0) << rate << run.err;
        EXPECT_TRUE(Contains(run.out, sim.linkPath() + ": the logger answered at " +
                                          std::to_string(rate) + " baud\n"))
            << run.out;
        EXPECT_TRUE(Contains(run.out, "The logger answered on " + sim.linkPath() + " at " +
                                          std::to_string(rate) + " baud.\n"));
        // No terminal and no --yes: not stored, and the user is told how.
        EXPECT_TRUE(
            Contains(run.out, "Not stored. To store them: vantrel settings Port " + sim.linkPath()))
            << run.out;
        EXPECT_EQ(StoredSettings(), before);
        EXPECT_TRUE(Contains(run.err, "Trying " + sim.linkPath() + " at 38400 baud...")) << run.err;
        EXPECT_EQ(sim.Stop(), 0);

        // Heard by the logger: exactly one Connect and one Close Link; the tries at the
        // other rates were garbage to it.
        const std::string text = ReadText(log);
        int heard = 0;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            if (!Contains(line, " RX ")) continue;
            ++heard;
            EXPECT_TRUE(Contains(line, ";e") || Contains(line, ";c")) << line;
        }
        EXPECT_EQ(heard, 2) << text;
        const int garbage = rate == 38400 ? 0 : rate == 19200 ? 1 : 2;
        int notes = 0;
        for (std::size_t at = text.find("NOTE garbage"); at != std::string::npos;
             at = text.find("NOTE garbage", at + 1)) {
            ++notes;
        }
        EXPECT_EQ(notes, garbage) << text;
    }
}

TEST_F(CliProbeTest, WithYesThePortAndRateAreStored) {
    SimulatorProcess sim({"--baud", "19200", "--strict-baud"});
    const test::ProcessResult run =
        Vantrel({"ports", "--probe", "--port", sim.linkPath(), "--yes"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "Stored: Port " + sim.linkPath() + ", Baud Rate 19200\n"))
        << run.out;
    const std::string stored = StoredSettings();
    EXPECT_TRUE(Contains(stored, "Port = " + sim.linkPath() + "\n")) << stored;
    EXPECT_TRUE(Contains(stored, "Baud Rate = 1 (19200 baud)")) << stored;
}

TEST_F(CliProbeTest, NoLoggerOrAShutPortFailsAndChangesNothing) {
    SimulatorProcess sim({"--baud", "4800", "--strict-baud"});
    const std::string before = StoredSettings();
    const test::ProcessResult run =
        Vantrel({"ports", "--probe", "--port", sim.linkPath(), "--yes"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.out, sim.linkPath() + ": no answer at 38400, 19200 or 9600 baud"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "No logger answered on any port")) << run.out;
    EXPECT_EQ(StoredSettings(), before);

    const std::string missing = (home_.path() / "no-such-port").string();
    const test::ProcessResult shut = Vantrel({"ports", "--probe", "--port", missing});
    EXPECT_EQ(shut.exitCode, 1);
    EXPECT_TRUE(Contains(shut.out, missing + ": cannot be opened: ")) << shut.out;
    EXPECT_EQ(StoredSettings(), before);

    const test::ProcessResult misuse = Vantrel({"ports", "--yes"});
    EXPECT_EQ(misuse.exitCode, 2);
    EXPECT_TRUE(Contains(misuse.err, "--yes goes with --probe")) << misuse.err;
}

TEST_F(CliProbeTest, CtrlCStopsTheSearchAtOnce) {
    SimulatorProcess sim({"--baud", "4800", "--strict-baud"});
    const std::string before = StoredSettings();
    test::CliProcess probe(VANTREL_CLI, {"ports", "--probe", "--port", sim.linkPath(), "--yes"},
                           Options());
    std::this_thread::sleep_for(std::chrono::milliseconds{250});
    const auto signalled = std::chrono::steady_clock::now();
    probe.Signal(SIGINT);
    EXPECT_EQ(probe.Wait(std::chrono::seconds{10}), 130) << probe.Err();
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::milliseconds{500});
    EXPECT_TRUE(Contains(probe.Err(), "cancelled")) << probe.Err();
    EXPECT_FALSE(Contains(probe.Out(), "No logger answered")) << probe.Out();
    EXPECT_EQ(StoredSettings(), before);
}

}  // namespace
}  // namespace vantrel::e2e
