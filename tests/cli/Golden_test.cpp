// SPDX-License-Identifier: GPL-3.0-or-later
// Every text the `vantrel` tool prints, compared whole with the files of a case folder
// under golden/ (one case a folder, one test a case):
//
//   cmd      the arguments, one a line
//   sim      optional: vantrel-logger-sim runs with these arguments (one a line) first
//   before   optional: a command run first, which must succeed; its output is not compared
//   files/   optional: copied into the case's work folder first
//   interrupt  optional: a text; once the tool has printed it, it gets SIGINT (Ctrl-C)
//   samples  optional: paths in the work folder (one a line) that get a copy of sample.vbk
//   stdout, stderr, exit   what the tool prints and its exit status
//
// In cmd, sim and before, @WORK@ is the case's own work folder (also its working folder
// and settings), @PORT@ the simulator's link, @IMAGE@ the sample logger image and @SAMPLE@
// the sample backup golden/sample.vbk. In what the tool prints, those paths (and @BIN@, the
// tool's own folder) are replaced by the same tokens, the version by @VERSION@, durations by
// @TIME@ and the serial ports of this machine by @SERIAL-PORTS@.
//
// VANTREL_REGENERATE_GOLDEN=1 writes what the tool prints into the case folders instead of
// comparing, for review with `git diff`. A new case folder is listed after a rebuild.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/SimulatorProcess.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;
using testing::SimulatorProcess;
using testing::TempDir;

const fs::path kCases = VANTREL_GOLDEN_DIR;

bool Regenerating() {
    const char* flag = std::getenv("VANTREL_REGENERATE_GOLDEN");
    return flag != nullptr && std::string(flag) == "1";
}

std::optional<std::string> ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// The paths a case runs with, by token; the longest path is replaced first in outputs, so
// that a path inside another one keeps its own token.
using Tokens = std::vector<std::pair<std::string, std::string>>;

std::string Expand(std::string text, const Tokens& tokens) {
    for (const auto& [token, value] : tokens) ReplaceAll(text, token, value);
    return text;
}

std::string Mask(std::string text, Tokens tokens) {
    std::sort(tokens.begin(), tokens.end(),
              [](const auto& a, const auto& b) { return a.second.size() > b.second.size(); });
    for (const auto& [token, value] : tokens) ReplaceAll(text, value, token);
    static const std::regex version(R"(^vantrel \S+ \(.*$)", std::regex::multiline);
    // Durations only: the dates and times read from a backup are fixed by the backup.
    static const std::regex duration(R"(Time: \d\d:\d\d:\d\d)");
    // The serial ports of the machine the test runs on, named when a port is not found.
    static const std::regex serialPorts(
        "Serial ports found:[^\n]*\nChoose one with --port NAME or: vantrel settings Port NAME|"
        "No serial ports were found on this computer\\.");
    text = std::regex_replace(text, version, "vantrel @VERSION@");
    text = std::regex_replace(text, serialPorts, "@SERIAL-PORTS@");
    return std::regex_replace(text, duration, "Time: @TIME@");
}

// The sample logger image, made once for all cases.
class GoldenEnvironment {
public:
    GoldenEnvironment() {
        const ProcessResult made =
            RunProcess(VANTREL_MAKE_SAMPLE, {Image().string(), "--profiles", "2", "--readings", "4",
                                             "--sensors", "2", "--seed", "5"});
        if (made.exitCode != 0) throw std::runtime_error("vantrel-make-sample-image: " + made.err);
    }
    fs::path Image() const { return dir_.path() / "image"; }

private:
    TempDir dir_;
};

GoldenEnvironment& Environment() {
    static GoldenEnvironment environment;
    return environment;
}

std::vector<std::string> CaseNames() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(kCases, error)) {
        if (entry.is_directory() && fs::exists(entry.path() / "cmd"))
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Arguments(const fs::path& file, const Tokens& tokens) {
    std::vector<std::string> args;
    if (const auto text = ReadText(file)) {
        for (const std::string& line : Lines(*text)) args.push_back(Expand(line, tokens));
    }
    return args;
}

class GoldenCase : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenCase, PrintsWhatItsFilesHold) {
    const fs::path folder = kCases / GetParam();
    if (!fs::exists(folder / "cmd")) GTEST_SKIP() << "the case was removed; a rebuild unlists it";
    TempDir work;
    Tokens tokens = {{"@WORK@", work.path().string()},
                     {"@BIN@", fs::path(VANTREL_CLI).parent_path().string()},
                     {"@IMAGE@", Environment().Image().string()},
                     {"@SAMPLE@", (kCases / "sample.vbk").string()}};
    if (fs::exists(folder / "files")) {
        fs::copy(folder / "files", work.path(), fs::copy_options::recursive);
    }
    fs::create_directories(work.path() / "backups");
    if (const auto samples = ReadText(folder / "samples")) {
        for (const std::string& line : Lines(*samples)) {
            fs::create_directories((work.path() / line).parent_path());
            fs::copy_file(kCases / "sample.vbk", work.path() / line);
        }
    }
    std::unique_ptr<SimulatorProcess> sim;
    if (fs::exists(folder / "sim")) {
        sim = std::make_unique<SimulatorProcess>(Arguments(folder / "sim", tokens));
        tokens.push_back({"@PORT@", sim->linkPath()});
    }

    ProcessOptions options;
    options.env = {"XDG_CONFIG_HOME=" + (work.path() / "config").string(),
                   "HOME=" + work.path().string(),
                   "LC_ALL=C",
                   "LANG=C",
                   "TZ=UTC",
                   "COLUMNS=80"};
    options.cwd = work.path().string();
    if (fs::exists(folder / "before")) {
        const ProcessResult before =
            RunProcess(VANTREL_CLI, Arguments(folder / "before", tokens), options);
        ASSERT_EQ(before.exitCode, 0) << before.out << before.err;
    }
    ProcessResult run;
    if (const auto interrupt = ReadText(folder / "interrupt")) {
        CliProcess child(VANTREL_CLI, Arguments(folder / "cmd", tokens), options);
        const std::string awaited = Lines(*interrupt).at(0);
        ASSERT_TRUE(child.WaitForOutput(awaited, std::chrono::seconds{30}))
            << "never printed '" << awaited << "':\n"
            << child.Out() << child.Err();
        child.Signal(SIGINT);
        run = {child.Wait(std::chrono::seconds{30}), child.Out(), child.Err()};
    } else {
        run = RunProcess(VANTREL_CLI, Arguments(folder / "cmd", tokens), options);
    }
    const std::string out = Mask(run.out, tokens);
    const std::string err = Mask(run.err, tokens);
    const std::string exit = std::to_string(run.exitCode) + "\n";

    if (Regenerating()) {
        WriteText(folder / "stdout", out);
        WriteText(folder / "stderr", err);
        WriteText(folder / "exit", exit);
        return;
    }
    EXPECT_EQ(out, ReadText(folder / "stdout").value_or("(no stdout file)"));
    EXPECT_EQ(err, ReadText(folder / "stderr").value_or("(no stderr file)"));
    EXPECT_EQ(exit, ReadText(folder / "exit").value_or("(no exit file)"));
}

INSTANTIATE_TEST_SUITE_P(Cli, GoldenCase, ::testing::ValuesIn(CaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             std::string name = param.param;
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) {
                                     return !std::isalnum(static_cast<unsigned char>(c));
                                 },
                                 '_');
                             return name;
                         });

// The harness itself: the masks keep what is fixed and replace only what varies.
TEST(GoldenMask, ReplacesPathsVersionAndTimesOnly) {
    const Tokens tokens = {{"@WORK@", "/tmp/w"}, {"@PORT@", "/tmp/w/sim/link"}};
    EXPECT_EQ(Mask("vantrel 1.2.3 (Vantrel Utilities), Qt 6\nLicense: X\n", tokens),
              "vantrel @VERSION@\nLicense: X\n");
    EXPECT_EQ(Mask("at /tmp/w/sim/link and /tmp/w/b.vbk\n", tokens),
              "at @PORT@ and @WORK@/b.vbk\n");
    EXPECT_EQ(Mask("Elapsed Time: 00:01:02  2026-01-02 12:34:56 v 1.2.3\n", tokens),
              "Elapsed Time: @TIME@  2026-01-02 12:34:56 v 1.2.3\n");
    EXPECT_EQ(Mask("x.\nSerial ports found: ttyS0 ttyUSB0\nChoose one with --port NAME or: "
                   "vantrel settings Port NAME\n",
                   tokens),
              "x.\n@SERIAL-PORTS@\n");
    EXPECT_EQ(Mask("x.\nNo serial ports were found on this computer.\n", tokens),
              "x.\n@SERIAL-PORTS@\n");
    EXPECT_EQ(Expand("--port\n@PORT@x", tokens), "--port\n/tmp/w/sim/linkx");
}

}  // namespace
}  // namespace vantrel::test
