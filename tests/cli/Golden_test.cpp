// SPDX-License-Identifier: GPL-3.0-or-later
// Every text the `vantrel` tool prints, compared whole with the files of a case folder
// under golden/ (one case a folder, one test a case):
//
//   cmd      the arguments, one a line
//   sim      optional: vantrel-logger-sim runs with these arguments (one a line) first
//   before   optional: a command run first, which must succeed; its output is not compared
//   files/   optional: copied into the case's work folder first
//   interrupt  optional: a text; once the tool has printed it, it gets SIGINT (Ctrl-C), or
//              what a second line names: "break" (Ctrl-Break: SIGINT on POSIX) or "close"
//              (the console closed: SIGHUP on POSIX)
//   samples  optional: paths in the work folder (one a line) that get a copy of sample.vbk
//   stdout, stderr, exit   what the tool prints and its exit status
//
// In cmd, sim and before, @WORK@ is the case's own work folder (also its working folder
// and settings), @PORT@ the simulator's link, @IMAGE@ the sample logger image, @SAMPLE@
// the sample backup golden/sample.vbk and @HISTORY@ a folder of backups of one site
// ("Visit 01.vbk", "Visit 02.vbk", "Visit 04.vbk"; see GoldenEnvironment). In what the tool prints,
// those paths (and @BIN@, the tool's own folder) are replaced by the same tokens, the version by
// @VERSION@, durations by
// @TIME@ and the serial ports of this machine by @SERIAL-PORTS@.
//
// VANTREL_REGENERATE_GOLDEN=1 writes what the tool prints into the case folders instead of
// comparing, for review with `git diff`. A new case folder is listed after a rebuild.
//
// Under wine (golden_wine.sh sets VANTREL_GOLDEN_WINE, _EXE, _COM, _LINE and _EVENT) the same cases
// run the Windows build's vantrel.exe: paths are given in Windows spelling ("Z:\tmp\..."),
// @PORT@ is a COM port that wine maps to a fixed path, linked to each case's simulator, and
// the settings (the registry key of the wine prefix) are removed before each case. Outputs
// are compared with the same files once path spelling is normalised; the files each case
// leaves in its work folder are compared with those of the Linux tool run on the same case.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "base/AsciiText.h"
#include "support/ChildProcess.h"
#include "support/SimulatorProcess.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;
using testing::SimulatorProcess;
using testing::TempDir;

const fs::path kCases = VANTREL_GOLDEN_DIR;

struct WineTool {
    std::string wine;   // the wine launcher
    std::string exe;    // vantrel.exe
    std::string com;    // "COM9"
    fs::path line;      // the path wine maps the COM port to
    std::string event;  // vantrel-console-event.exe: Ctrl-Break and the console's closing
};

std::optional<WineTool> Wine() {
    const char* wine = std::getenv("VANTREL_GOLDEN_WINE");
    const char* exe = std::getenv("VANTREL_GOLDEN_EXE");
    const char* com = std::getenv("VANTREL_GOLDEN_COM");
    const char* line = std::getenv("VANTREL_GOLDEN_LINE");
    const char* event = std::getenv("VANTREL_GOLDEN_EVENT");
    if (wine == nullptr || exe == nullptr || com == nullptr || line == nullptr ||
        event == nullptr) {
        return std::nullopt;
    }
    return WineTool{wine, exe, com, line, event};
}

// Cases that cannot apply to the Windows tool, with the reason.
const std::vector<std::pair<std::string, std::string>> kNotOnWindows = {
    {"settings", "the default folders are the Documents and Desktop folders of the wine user"},
    {"settings-file-unusable", "the settings live in the registry: there is no file to spoil"},
    {"settings-file-left-as-it-is", "the settings live in the registry: no file to edit by hand"},
    {"list-settings-left-as-it-is", "the settings live in the registry: no file to edit by hand"},
    {"settings-port-not-there", "a missing device path is spelled and checked differently"},
    {"backup-no-such-port", "a Windows port is a COM name, never a path in a folder"},
    {"ports-probe-no-such-port", "a Windows port is a COM name, never a path in a folder"},
    {"list-table",
     "dates in the user's short date format: wine's is 6/6/2025, Qt's C locale 6 Jun 2025"},
    {"list-verbose", "dates in the user's short date format (as \"list-table\")"},
};

// "/tmp/x/y" as a Windows program under wine reaches it: "Z:\tmp\x\y".
std::string WinePath(const std::string& path) {
    std::string text = "Z:" + path;
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

std::string JsonEscaped(std::string text) {
    for (std::size_t at = text.find('\\'); at != std::string::npos; at = text.find('\\', at + 2)) {
        text.insert(at, 1, '\\');
    }
    return text;
}

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
using FileMapByPath = std::map<std::string, std::string>;

std::vector<std::string> KeysOf(const FileMapByPath& files) {
    std::vector<std::string> keys;
    for (const auto& entry : files) keys.push_back(entry.first);
    return keys;
}

std::string Expand(std::string text, const Tokens& tokens) {
    for (const auto& [token, value] : tokens) ReplaceAll(text, token, value);
    return text;
}

// A path under a token in Windows spelling ("@WORK@\\b\\c.vbk", or in JSON
// "@WORK@\\\\b") as the Linux tool spells it; the path runs to the line's end or a quote.
std::string WithLinuxSeparators(const std::string& text) {
    static const std::regex windowsTail(R"(@(WORK|BIN|IMAGE|SAMPLE|HISTORY)@[^\n"]*\\[^\n"]*)");
    std::string result;
    auto from = text.cbegin();
    for (std::sregex_iterator it(text.begin(), text.end(), windowsTail), end; it != end; ++it) {
        result.append(from, text.cbegin() + it->position());
        std::string tail = it->str();
        ReplaceAll(tail, "\\\\", "/");
        std::replace(tail.begin(), tail.end(), '\\', '/');
        result += tail;
        from = text.cbegin() + it->position() + it->length();
    }
    result.append(from, text.cend());
    return result;
}

// `windowsSpelling`: the paths were given to vantrel.exe under wine.
std::string Mask(std::string text, Tokens tokens, bool windowsSpelling = false) {
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
    if (windowsSpelling) text = WithLinuxSeparators(text);
    text = std::regex_replace(text, version, "vantrel @VERSION@");
    text = std::regex_replace(text, serialPorts, "@SERIAL-PORTS@");
    return std::regex_replace(text, duration, "Time: @TIME@");
}

// The sample logger image and the backups of a site's history, made once for all cases.
// The history: four visits two days apart of a logger with an hourly and a daily profile,
// each backup holding the three hours before the visit before too; the third backup is
// lost (a gap), the second holds the three shared hours with other values (disagreements)
// and the daily profile's soil is calibrated anew at the fourth (a second series).
class GoldenEnvironment {
public:
    GoldenEnvironment() {
        const ProcessResult made =
            RunProcess(VANTREL_MAKE_SAMPLE, {Image().string(), "--profiles", "2", "--readings", "4",
                                             "--sensors", "2", "--seed", "5"});
        if (made.exitCode != 0) throw std::runtime_error("vantrel-make-sample-image: " + made.err);
        const ProcessResult history =
            RunProcess(VANTREL_MAKE_SITE_HISTORY,
                       {History().string(), "--visits", "4", "--days", "2", "--profiles", "2",
                        "--sensors", "2", "--seed", "5", "--overlap", "3", "--lost", "3",
                        "--read-anew", "2", "--recalibrated", "4"});
        if (history.exitCode != 0) {
            throw std::runtime_error("vantrel-make-site-history: " + history.err);
        }
    }
    fs::path Image() const { return dir_.path() / "image"; }
    fs::path History() const { return dir_.path() / "history"; }

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

// What one run of a case printed, and the folder it worked in (kept for comparing files).
struct CaseRun {
    std::unique_ptr<TempDir> work;
    std::string out, err, exit;
    FileMapByPath loggerFiles;  // the simulator's files after the run
};

// The regular files under `folder` by relative path, but the settings of the Linux tool.
FileMapByPath FilesUnder(const fs::path& folder) {
    FileMapByPath files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const fs::path relative = entry.path().lexically_relative(folder);
        // The Windows export lock is a hidden file in the folder; on Linux it needs none.
        if (*relative.begin() == "config" || relative == ".vantrel-lock" ||
            !entry.is_regular_file()) {
            continue;
        }
        files[relative.string()] = ReadText(entry.path()).value_or("");
    }
    return files;
}

// Runs the case in `folder` with the Linux tool, or with vantrel.exe under `wine`.
CaseRun RunCase(const fs::path& folder, const std::optional<WineTool>& wine) {
    CaseRun run{std::make_unique<TempDir>(), {}, {}, {}, {}};
    const fs::path& work = run.work->path();
    const std::string tool = wine ? wine->exe : std::string(VANTREL_CLI);
    // The paths as the simulator (always the Linux build) and the tool spell them.
    const Tokens simTokens = {{"@WORK@", work.string()},
                              {"@IMAGE@", Environment().Image().string()},
                              {"@SAMPLE@", (kCases / "sample.vbk").string()},
                              {"@HISTORY@", Environment().History().string()}};
    Tokens tokens = {{"@WORK@", work.string()},
                     {"@BIN@", fs::path(tool).parent_path().string()},
                     {"@IMAGE@", Environment().Image().string()},
                     {"@SAMPLE@", (kCases / "sample.vbk").string()},
                     {"@HISTORY@", Environment().History().string()}};
    if (wine) {
        for (auto& [token, value] : tokens) value = WinePath(value);
    }
    if (fs::exists(folder / "files")) {
        fs::copy(folder / "files", work, fs::copy_options::recursive);
    }
    fs::create_directories(work / "backups");
    if (const auto samples = ReadText(folder / "samples")) {
        for (const std::string& line : Lines(*samples)) {
            fs::create_directories((work / line).parent_path());
            fs::copy_file(kCases / "sample.vbk", work / line);
        }
    }
    std::unique_ptr<SimulatorProcess> sim;
    if (fs::exists(folder / "sim")) {
        sim = std::make_unique<SimulatorProcess>(Arguments(folder / "sim", simTokens));
        if (wine) {
            // The COM port leads to the fixed path, and from there to this simulator.
            fs::remove(wine->line);
            fs::create_symlink(sim->linkPath(), wine->line);
            tokens.push_back({"@PORT@", wine->com});
        } else {
            tokens.push_back({"@PORT@", sim->linkPath()});
        }
    }

    ProcessOptions options;
    options.env = {"XDG_CONFIG_HOME=" + (work / "config").string(),
                   "HOME=" + work.string(),
                   "LC_ALL=C",
                   "LANG=C",
                   "TZ=UTC",
                   "COLUMNS=80"};
    options.cwd = work.string();
    // Under wine the program is the launcher, the tool its first argument; each case starts
    // from no settings.
    const std::string program = wine ? wine->wine : tool;
    const auto argumentsOf = [&](const fs::path& file) {
        std::vector<std::string> args = Arguments(file, tokens);
        if (wine) args.insert(args.begin(), tool);
        return args;
    };
    if (wine) {
        RunProcess(wine->wine, {"reg", "delete", "HKCU\\Software\\Ortvel", "/f"}, options);
    }
    if (fs::exists(folder / "before")) {
        const ProcessResult before = RunProcess(program, argumentsOf(folder / "before"), options);
        EXPECT_EQ(before.exitCode, 0) << before.out << before.err;
    }
    ProcessResult result;
    if (const auto interrupt = ReadText(folder / "interrupt")) {
        const std::vector<std::string> how = Lines(*interrupt);
        const std::string event = how.size() > 1 ? how[1] : "";
        // Under wine, which turns only SIGINT into a console event (Ctrl-C), Ctrl-Break and
        // the console's closing come from a program that gives them as the console does,
        // once its own SIGINT comes: started first, it is as quick as a signal.
        std::unique_ptr<CliProcess> giver;
        if (wine && !event.empty()) {
            giver = std::make_unique<CliProcess>(
                wine->wine, std::vector<std::string>{wine->event, event, "vantrel.exe"}, options);
            EXPECT_TRUE(giver->WaitForOutput("ready", std::chrono::seconds{30})) << giver->Err();
        }
        CliProcess child(program, argumentsOf(folder / "cmd"), options);
        EXPECT_TRUE(child.WaitForOutput(how.at(0), std::chrono::seconds{30}))
            << "never printed '" << how.at(0) << "':\n"
            << child.Out() << child.Err();
        if (giver) {
            giver->Signal(SIGINT);
            EXPECT_EQ(giver->Wait(std::chrono::seconds{30}), 0) << giver->Out() << giver->Err();
        } else {
            child.Signal(event == "close" ? SIGHUP : SIGINT);
        }
        result = {child.Wait(std::chrono::seconds{30}), child.Out(), child.Err()};
    } else {
        result = RunProcess(program, argumentsOf(folder / "cmd"), options);
    }
    if (sim) run.loggerFiles = sim->StopAndReadDump();
    if (wine) {
        // Outputs may name a path in either spelling, and the port as the device path.
        const Tokens windowsTokens = tokens;
        for (const auto& [token, value] : windowsTokens) {
            if (token == "@PORT@") {
                tokens.push_back({token, "\\\\.\\" + value});
            } else {
                tokens.push_back({token, JsonEscaped(value)});
            }
        }
        tokens.insert(tokens.end(), simTokens.begin(), simTokens.end());
    }
    run.out = Mask(result.out, tokens, wine.has_value());
    run.err = Mask(result.err, tokens, wine.has_value());
    run.exit = std::to_string(result.exitCode) + "\n";
    return run;
}

class GoldenCase : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenCase, PrintsWhatItsFilesHold) {
    const fs::path folder = kCases / GetParam();
    if (!fs::exists(folder / "cmd")) GTEST_SKIP() << "the case was removed; a rebuild unlists it";
    const std::optional<WineTool> wine = Wine();
    if (wine) {
        for (const auto& [name, reason] : kNotOnWindows) {
            if (name == GetParam()) GTEST_SKIP() << "not on Windows: " << reason;
        }
    }
    const CaseRun run = RunCase(folder, wine);

    if (Regenerating() && !wine) {
        WriteText(folder / "stdout", run.out);
        WriteText(folder / "stderr", run.err);
        WriteText(folder / "exit", run.exit);
        return;
    }
    EXPECT_EQ(run.out, ReadText(folder / "stdout").value_or("(no stdout file)"));
    EXPECT_EQ(run.err, ReadText(folder / "stderr").value_or("(no stderr file)"));
    EXPECT_EQ(run.exit, ReadText(folder / "exit").value_or("(no exit file)"));
    if (!wine) return;

    // The files the Windows tool left are those the Linux tool leaves, byte for byte; a new
    // backup may differ in its backup date only (eight bytes), which the clock sets.
    const CaseRun onLinux = RunCase(folder, std::nullopt);
    const FileMapByPath expected = FilesUnder(onLinux.work->path());
    const FileMapByPath actual = FilesUnder(run.work->path());
    EXPECT_EQ(run.loggerFiles, onLinux.loggerFiles) << "the logger's files after the run";
    ASSERT_EQ(KeysOf(actual), KeysOf(expected));
    for (const auto& [name, bytes] : expected) {
        const std::string& got = actual.at(name);
        if (got == bytes) continue;
        if (EndsWithIgnoringCase(name, ".png")) {  // its text is drawn in the platform's fonts
            EXPECT_EQ(got.substr(0, 24), bytes.substr(0, 24)) << name << ": signature and size";
            continue;
        }
        ASSERT_EQ(got.size(), bytes.size()) << name;
        std::size_t first = 0;
        while (got[first] == bytes[first]) ++first;
        std::size_t last = got.size() - 1;
        while (got[last] == bytes[last]) --last;
        EXPECT_TRUE(EndsWithIgnoringCase(name, ".vbk") && last - first < 8)
            << name << " differs in bytes " << first << " to " << last;
    }
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
    // Under wine: both spellings of a path, and the port as a device.
    const Tokens windows = {{"@WORK@", "Z:\\tmp\\w"},
                            {"@WORK@", "Z:\\\\tmp\\\\w"},
                            {"@PORT@", "\\\\.\\COM5"},
                            {"@PORT@", "COM5"}};
    EXPECT_EQ(Mask("to Z:\\tmp\\w\\b\\c d.vbk\n\"Z:\\\\tmp\\\\w\\\\e\" \\\\.\\COM5 COM5\n", windows,
                   true),
              "to @WORK@/b/c d.vbk\n\"@WORK@/e\" @PORT@ @PORT@\n");
}

}  // namespace
}  // namespace vantrel::test
