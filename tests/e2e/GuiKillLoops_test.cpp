// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program ended in the middle of a restore, a backup and an export, each run on
// an X server of its own against vantrel-logger-sim: by SIGTERM, by SIGHUP and by the end of
// its X session (the server killed). However it ends, the logger holds no cut-off file, no
// partial backup or export lies under a final name, and a restore that ended early is
// recorded truly and told once at the next start. Short CI runs; GUI_KILL_ROUNDS in the
// environment lengthens them.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QSettings>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <thread>

#include "e2e/CliE2eSupport.h"

namespace vantrel::e2e {
namespace {

using namespace std::chrono_literals;
using testing::FileMap;
using testing::SimulatorProcess;

int Rounds() {
    const char* text = std::getenv("GUI_KILL_ROUNDS");
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 1;
}

// The process that holds display `number`'s lock file, when it still runs.
bool DisplayInUse(int number) {
    std::ifstream lock("/tmp/.X" + std::to_string(number) + "-lock");
    pid_t holder = 0;
    return lock >> holder && holder > 0 && ::kill(holder, 0) == 0;
}

// An X server of its own, on the first free display from :150 up.
class XServer {
public:
    XServer() {
        for (int number = 150; number < 200 && !process_; ++number) {
            if (DisplayInUse(number)) continue;
            process_.emplace(VANTREL_XVFB,
                             std::vector<std::string>{":" + std::to_string(number), "-screen", "0",
                                                      "1024x768x24", "-nolisten", "tcp"});
            // Ready once the lock is ours and the socket is there; another server that took
            // the number at the same moment makes ours end.
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            const std::string lockFile = "/tmp/.X" + std::to_string(number) + "-lock";
            for (int i = 0; i < 100 && process_->Wait(0ms) == -1; ++i) {
                std::ifstream lock(lockFile);
                pid_t holder = 0;
                if (lock >> holder && holder == process_->pid() && fs::exists(socket)) {
                    display_ = ":" + std::to_string(number);
                    break;
                }
                std::this_thread::sleep_for(50ms);
            }
            if (display_.empty()) process_.reset();
        }
        if (!process_) throw std::runtime_error("no X server could be started");
        std::this_thread::sleep_for(100ms);
    }
    // Ended as a session's server is, so that it removes its lock and socket.
    ~XServer() { Kill(); }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& display() const { return display_; }
    // The end of the session: the server goes, and every client's connection with it.
    void Kill() {
        if (process_->Wait(0ms) != -1) return;
        process_->Signal(SIGTERM);
        process_->Wait(5s);
    }

private:
    std::optional<test::CliProcess> process_;
    std::string display_;
};

test::ProcessOptions OnDisplay(const std::string& display) {
    test::ProcessOptions options;
    options.env = {"DISPLAY=" + display};
    return options;
}

// xdotool on `display`: the first visible window whose title matches `pattern`, waited for.
// A search gives up at the first X error, as when a window it looks at is destroyed under
// it (a progress dialog closing), so it is repeated until the time is up.
std::string WaitForWindow(const std::string& display, const std::string& pattern,
                          std::chrono::milliseconds timeout = 15s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left <= 0ms) return {};
        const test::ProcessResult found = test::RunProcess(
            VANTREL_XDOTOOL, {"search", "--sync", "--onlyvisible", "--name", pattern},
            OnDisplay(display), left);
        if (found.exitCode == 0) return found.out.substr(0, found.out.find('\n'));
        std::this_thread::sleep_for(100ms);
    }
}

void PressKeys(const std::string& display, const std::string& window,
               const std::vector<std::string>& keys) {
    std::vector<std::string> args = {"windowfocus", "--sync", window, "key", "--clearmodifiers"};
    args.insert(args.end(), keys.begin(), keys.end());
    test::RunProcess(VANTREL_XDOTOOL, args, OnDisplay(display), 10s);
}

enum class Ending { Term, Hangup, SessionEnd };
const char* NameOf(Ending ending) {
    return ending == Ending::Term ? "SIGTERM" : ending == Ending::Hangup ? "SIGHUP" : "session end";
}

// One workspace: a sample image, its backup, settings and folders of the program's own.
class GuiKillTest : public ::testing::Test {
protected:
    explicit GuiKillTest(const std::vector<std::string>& imageArgs = {"--profiles", "2",
                                                                      "--readings", "60",
                                                                      "--sensors", "4", "--seed",
                                                                      "9"})
        : ws_(imageArgs) {
        fs::create_directories(ws_.root() / "runtime");
        ::chmod((ws_.root() / "runtime").c_str(), 0700);
    }

    fs::path SettingsFile() const { return ws_.root() / "config/Ortvel/VantrelUtilities.conf"; }
    void WriteSettings(const std::string& link, const fs::path& backups, const fs::path& exports) {
        QSettings store(QString::fromStdString(SettingsFile().string()), QSettings::IniFormat);
        store.setValue("Settings/Port", QString::fromStdString(link));
        store.setValue("Settings/Default Path", QString::fromStdString(backups.string()));
        store.setValue("Settings/Export Path", QString::fromStdString(exports.string()));
    }
    // The record of the restore: (complete, total), or nothing.
    std::optional<std::pair<int, int>> Record() const {
        const QSettings store(QString::fromStdString(SettingsFile().string()),
                              QSettings::IniFormat);
        for (const QString& group : store.childGroups()) {
            if (!group.startsWith("Restore ")) continue;
            return std::pair{store.value(group + "/Complete").toInt(),
                             store.value(group + "/Total").toInt()};
        }
        return std::nullopt;
    }

    std::unique_ptr<test::CliProcess> StartProgram(const XServer& x, const std::string& operation) {
        test::ProcessOptions options = ws_.ToolOptions();
        options.env.insert(
            options.env.end(),
            {"DISPLAY=" + x.display(), "QT_QPA_PLATFORM=xcb", "NO_AT_BRIDGE=1",
             "XDG_RUNTIME_DIR=" + (ws_.root() / "runtime").string(),
             "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (ws_.root() / "no-bus").string(),
             "VANTREL_UTILITIES_START=" + operation,
             // Under AddressSanitizer: when the X server dies, Qt itself calls exit() and
             // leaves fontconfig's memory behind; the loops check files, not leaks.
             "ASAN_OPTIONS=detect_leaks=0:halt_on_error=1:abort_on_error=1"});
        return std::make_unique<test::CliProcess>(VANTREL_UTILITIES, std::vector<std::string>{},
                                                  options);
    }

    // Ends the program as `ending` says and gives its exit status (-1: still running).
    static int End(test::CliProcess& program, XServer& x, Ending ending) {
        if (ending == Ending::SessionEnd) {
            x.Kill();
        } else {
            program.Signal(ending == Ending::Term ? SIGTERM : SIGHUP);
        }
        return program.Wait(20s);
    }
    static int ExpectedStatus(Ending ending) {
        // Qt ends the process with status 1 when its display has gone.
        return ending == Ending::Term ? 128 + SIGTERM : ending == Ending::Hangup ? 128 + SIGHUP : 1;
    }

    CliWorkspace ws_;
    std::mt19937 random_{4711};
};

// The logger before each restore: a different image, so that a file not yet erased is told
// from a restored one.
FileMap LoggerBefore() {
    return {{"QUILON.CFG00", "the logger's own configuration"},
            {"OLDSITE.id", "a site the backup does not know"},
            {"PRO01.DAT00", "an older profile"}};
}

TEST_F(GuiKillTest, ARestoreEndedAnyWayLeavesNoCutOffFileAndARecordToldOnce) {
    const fs::path backups = ws_.root() / "restore-backups";
    fs::create_directories(backups);
    fs::copy_file(ws_.PackedBackup(), backups / "Field trip.vbk");
    FileMap planned = testing::ReadFolder(ws_.Image());
    planned.erase("QUILON.CFG00");  // the logger keeps its own
    const fs::path image = ws_.root() / "logger-before";
    testing::WriteFolder(image, LoggerBefore());

    int cutOff = 0, recorded = 0, completed = 0, told = 0;
    const int rounds = 3 * Rounds();
    for (int round = 0; round < rounds; ++round) {
        const Ending ending = static_cast<Ending>(round % 3);
        SCOPED_TRACE(std::string("round ") + std::to_string(round) + ", " + NameOf(ending));
        SimulatorProcess sim({"--image", image.string(), "--baud", "38400"});
        WriteSettings(sim.linkPath(), backups, ws_.root());
        std::optional<XServer> x(std::in_place);
        auto program = StartProgram(*x, "restore");
        const std::string warning = WaitForWindow(x->display(), "^Restore Warning");
        ASSERT_FALSE(warning.empty()) << program->Err();
        // OK; pressed again should the key go astray while the box takes the focus.
        bool underWay = false;
        for (int tries = 0; tries < 3 && !underWay; ++tries) {
            PressKeys(x->display(), warning, {"Return"});
            underWay = !WaitForWindow(x->display(), "^[0-9]+% Restore", 5s).empty();
        }
        ASSERT_TRUE(underWay) << program->Err();
        std::this_thread::sleep_for(std::chrono::milliseconds(random_() % 2500));
        EXPECT_EQ(End(*program, *x, ending), ExpectedStatus(ending)) << program->Err();

        // Every file of the backup on the logger is whole; the others were not erased yet.
        const FileMap after = sim.StopAndReadDump();
        int whole = 0;
        for (const auto& [name, content] : after) {
            if (planned.contains(name) && content == planned.at(name)) {
                ++whole;
            } else if (!LoggerBefore().contains(name) || LoggerBefore().at(name) != content) {
                ++cutOff;
                ADD_FAILURE() << name << " is cut off on the logger";
            }
        }
        const auto record = Record();
        if (whole == static_cast<int>(planned.size())) {
            ++completed;
            EXPECT_FALSE(record) << "a completed restore is recorded";
            continue;
        }
        if (after == LoggerBefore() && !record) continue;  // ended before the erase
        ASSERT_TRUE(record) << "no record of a restore that ended with " << whole << " files";
        ++recorded;
        EXPECT_EQ(*record, std::pair(whole, static_cast<int>(planned.size())));

        // The next start tells it, once.
        if (ending == Ending::SessionEnd) x.emplace();
        auto next = StartProgram(*x, "");
        const std::string notice = WaitForWindow(x->display(), "^Restore Incomplete");
        EXPECT_FALSE(notice.empty()) << next->Err();
        if (!notice.empty()) ++told;
        EXPECT_FALSE(Record());
        PressKeys(x->display(), notice, {"Return"});
        EXPECT_EQ(End(*next, *x, Ending::Term), 128 + SIGTERM);
    }
    std::printf(
        "restore: %d rounds, %d completed, %d recorded, %d told at the next start, "
        "%d cut-off files\n",
        rounds, completed, recorded, told, cutOff);
    RecordProperty("cut_off_files", cutOff);
    RecordProperty("recorded", recorded);
}

TEST_F(GuiKillTest, ABackupEndedAnyWayLeavesNoPartialBackup) {
    const fs::path backups = ws_.root() / "backups";
    SimulatorProcess sim({"--image", ws_.Image().string(), "--baud", "38400"});
    int whole = 0, partial = 0;
    const int rounds = 3 * Rounds();
    for (int round = 0; round < rounds; ++round) {
        const Ending ending = static_cast<Ending>(round % 3);
        SCOPED_TRACE(std::string("round ") + std::to_string(round) + ", " + NameOf(ending));
        WriteSettings(sim.linkPath(), backups, ws_.root());
        XServer x;
        auto program = StartProgram(x, "backup");
        ASSERT_FALSE(WaitForWindow(x.display(), "^[0-9]+% Backup").empty()) << program->Err();
        std::this_thread::sleep_for(std::chrono::milliseconds(random_() % 2500));
        EXPECT_EQ(End(*program, x, ending), ExpectedStatus(ending)) << program->Err();

        EXPECT_EQ(LeftoversIn(backups), std::vector<std::string>{});
        for (const auto& entry : fs::directory_iterator(backups)) {
            const std::string difference =
                DifferenceButForTheDate(entry.path(), ws_.PackedBackup());
            EXPECT_EQ(difference, "") << entry.path();
            ++(difference.empty() ? whole : partial);
            fs::remove(entry.path());
        }
    }
    std::printf("backup: %d rounds, %d whole backups written before the end, %d partial\n", rounds,
                whole, partial);
    RecordProperty("partial_backups", partial);
}

class GuiExportKillTest : public GuiKillTest {
protected:
    GuiExportKillTest()
        : GuiKillTest({"--profiles", "6", "--readings", "3000", "--sensors", "8", "--seed", "5"}) {}

    // The export dialog, once shown (empty: it never showed).
    static std::string WaitForDialog(const XServer& x) {
        return WaitForWindow(x.display(), "^Export to CSV");
    }
    // Exports all profiles: from the file name to the profile list, all of it, then OK.
    static void Confirm(const XServer& x, const std::string& dialog) {
        PressKeys(x.display(), dialog, {"Tab", "Tab", "ctrl+a", "Return"});
    }
};

TEST_F(GuiExportKillTest, AnExportEndedAnyWayLeavesWholeFilesOnly) {
    const fs::path backups = ws_.root() / "backups";
    fs::copy_file(ws_.PackedBackup(), backups / "Site.vbk");
    // The export run to its end: what every file must equal.
    const fs::path clean = ws_.root() / "clean";
    fs::create_directories(clean);
    {
        WriteSettings("", backups, clean);
        XServer x;
        auto program = StartProgram(x, "export");
        const std::string dialog = WaitForDialog(x);
        ASSERT_FALSE(dialog.empty()) << program->Err();
        Confirm(x, dialog);
        ASSERT_FALSE(WaitForWindow(x.display(), "^Newly Created Profile Files", 60s).empty());
        EXPECT_EQ(End(*program, x, Ending::Term), 128 + SIGTERM);
    }
    const FileMap reference = testing::ReadFolder(clean);
    ASSERT_EQ(reference.size(), 6u);

    int exported = 0;
    const int rounds = 3 * Rounds();
    for (int round = 0; round < rounds; ++round) {
        const Ending ending = static_cast<Ending>(round % 3);
        SCOPED_TRACE(std::string("round ") + std::to_string(round) + ", " + NameOf(ending));
        const fs::path out = ws_.root() / ("out" + std::to_string(round));
        fs::create_directories(out);
        WriteSettings("", backups, out);
        XServer x;
        auto program = StartProgram(x, "export");
        const std::string dialog = WaitForDialog(x);
        ASSERT_FALSE(dialog.empty()) << program->Err();
        // Every other round ends while the dialog is open, the others while it exports or
        // shows what it wrote.
        if (round % 2 == 0) Confirm(x, dialog);
        std::this_thread::sleep_for(std::chrono::milliseconds(random_() % 1500));
        EXPECT_EQ(End(*program, x, ending), ExpectedStatus(ending)) << program->Err();

        EXPECT_EQ(LeftoversIn(out), std::vector<std::string>{});
        for (const auto& [name, content] : testing::ReadFolder(out)) {
            EXPECT_TRUE(reference.contains(name) && reference.at(name) == content)
                << name << " cut off";
            ++exported;
        }
    }
    std::printf("export: %d rounds, %d whole files written before the end\n", rounds, exported);
}

}  // namespace
}  // namespace vantrel::e2e
