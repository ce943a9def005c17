// SPDX-License-Identifier: GPL-3.0-or-later
// The backup-folder, settings and housekeeping commands of the tool, run as a user would,
// with settings of their own (XDG_CONFIG_HOME in a temporary folder).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>

#include "support/ChildProcess.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::ProcessOptions;
using test::ProcessResult;
using test::RunProcess;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliCommandsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = fs::temp_directory_path() / ("vantrel-clicmd-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "home");
        const std::string image = (root_ / "image").string();
        ASSERT_EQ(RunProcess(VANTREL_MAKE_SAMPLE, {image, "--profiles", "2", "--readings", "4",
                                                   "--sensors", "2", "--seed", "5"})
                      .exitCode,
                  0);
        ASSERT_EQ(RunProcess(VANTREL_PACK_IMAGE, {image, (root_ / "sample.vbk").string()}).exitCode,
                  0);
    }
    static void TearDownTestSuite() { fs::remove_all(root_); }

    void SetUp() override {
        // Every test starts with no settings and a backup folder of its own.
        fs::remove_all(Config());
        fs::remove_all(Backups());
        fs::create_directories(Backups());
    }

    static fs::path Config() { return root_ / "config"; }
    static fs::path Backups() { return root_ / "backups"; }
    static fs::path SettingsFile() { return Config() / "Ortvel" / "VantrelUtilities.conf"; }

    static void AddBackup(const std::string& fileName) {
        fs::copy_file(root_ / "sample.vbk", Backups() / fileName);
    }
    static void AddCorrupt(const std::string& fileName) {
        std::ofstream(Backups() / fileName, std::ios::binary) << std::string("\x01\x80\x02", 3);
    }

    // The tool's environment, with its settings under `config`.
    static ProcessOptions Options(const fs::path& config = Config()) {
        ProcessOptions options;
        options.env = {"XDG_CONFIG_HOME=" + config.string(), "HOME=" + (root_ / "home").string(),
                       "LANG=C", "LC_ALL=C"};
        options.cwd = root_.string();
        return options;
    }
    static ProcessResult Vantrel(const std::vector<std::string>& args) {
        return RunProcess(VANTREL_CLI, args, Options());
    }
    static ProcessResult InFolder(std::vector<std::string> args) {
        args.push_back("--folder");
        args.push_back(Backups().string());
        return Vantrel(args);
    }

    static fs::path root_;
};
fs::path CliCommandsTest::root_;

TEST_F(CliCommandsTest, UsageAndInputErrorsExitWithTwo) {
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"backup", "..vbk"}, "needs more than dots and blanks"},
        {{"backup", std::string(300, 'n')}, "too long for this file system"},
        {{"backup", "--folder", "/nonexistent/folder"}, "The backup folder does not exist"},
        {{"logger", "rm"}, "missing argument"},
        {{"logger", "ls", "--port"}, "--port needs a value"},
        {{"logger", "ls", "--port", ""}, "--port needs a port name"},
        {{"restore"}, "missing argument"},
        {{"rename", "only-one"}, "missing argument"},
        {{"delete", "a", "b"}, "unexpected argument"},
        {{"settings", "CommsTimeOut", "5"}, "the settings that can be changed are"},
        {{"settings", "Baud Rate", "1200"}, "\"Baud Rate\" is an index 0, 1, 2"},
        {{"settings", "Baud Rate", "3"}, "\"Baud Rate\" is an index 0, 1, 2"},
        {{"settings", "Default Path", "/nonexistent/folder"}, "must be an existing folder"},
        {{"settings", "Port", " "}, "\"Port\" needs a port name"},
        {{"settings", "Default Path", (root_ / "caf\xE9").string()}, "bytes that are not UTF-8"},
        {{"list", "--trace", "x"}, "unknown option '--trace'"},
        {{"ports", "extra"}, "unexpected argument"},
        {{"export", "sample.vbk", "--out", "x", "--profiles", "1,,2"}, "--profiles"},
    };
    fs::create_directories(root_ / "caf\xE9");  // a Latin-1 name: there, but no UTF-8
    for (const auto& c : cases) {
        const ProcessResult run = Vantrel(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.args[0] << " " << run.err;
        EXPECT_TRUE(Contains(run.err, c.message)) << c.message << "\n" << run.err;
        EXPECT_TRUE(Contains(run.err, "--help")) << run.err;
    }
    // Nothing was stored by the refused settings.
    EXPECT_FALSE(Contains(Slurp(SettingsFile()), "Baud%20Rate"));
}

TEST_F(CliCommandsTest, RestoreRefusesBadBackupsAndAQuestionWithoutATerminal) {
    AddBackup("Site A.vbk");
    AddCorrupt("Broken.vbk");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"restore", "No Such Backup"}, "Could not open backup for loading"},
        {{"restore", (root_ / "missing.vbk").string()}, "Could not open backup for loading"},
        {{"restore", "Broken"}, "Could not open backup. Exception thrown in stored data"},
        // A readable backup with no terminal and no --yes: refused before the port is opened.
        {{"restore", "Site A", "--port", "/nonexistent/port"}, "give --yes"},
        {{"restore", "Site A.VBK", "--port", "/nonexistent/port"}, "give --yes"},
    };
    for (const auto& c : cases) {
        const ProcessResult run = InFolder(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.args[1] << "\n" << run.err;
        EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
        EXPECT_FALSE(Contains(run.err, "Error opening port")) << run.err;
    }
}

TEST_F(CliCommandsTest, DeleteAsksAndRefusesWithoutATerminal) {
    AddBackup("Keep.vbk");
    const ProcessResult refused = InFolder({"delete", "Keep"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(Contains(refused.err, "give --yes")) << refused.err;
    EXPECT_TRUE(fs::exists(Backups() / "Keep.vbk"));

    const ProcessResult missing = InFolder({"delete", "Nothing", "--yes"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(Contains(missing.err, "there is no backup 'Nothing'")) << missing.err;

    const ProcessResult deleted = InFolder({"delete", "Keep.vbk", "--yes"});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_FALSE(fs::exists(Backups() / "Keep.vbk"));
}

TEST_F(CliCommandsTest, RenameNeverReplacesAnotherBackup) {
    AddBackup("Old.VBK");
    AddBackup("Taken.vbk");
    const ProcessResult onto = InFolder({"rename", "Old", "Taken"});
    EXPECT_EQ(onto.exitCode, 1);
    EXPECT_TRUE(Contains(onto.err, "Could not rename file")) << onto.err;
    EXPECT_TRUE(fs::exists(Backups() / "Old.VBK"));
    EXPECT_EQ(Slurp(Backups() / "Taken.vbk"), Slurp(root_ / "sample.vbk"));

    const ProcessResult missing = InFolder({"rename", "Gone", "New"});
    EXPECT_EQ(missing.exitCode, 2);

    // The typed ".vbk" is not doubled and the backup keeps its own extension.
    const ProcessResult renamed = InFolder({"rename", "Old", "New Name.vbk"});
    EXPECT_EQ(renamed.exitCode, 0) << renamed.err;
    EXPECT_TRUE(fs::exists(Backups() / "New Name.VBK"));
    EXPECT_FALSE(fs::exists(Backups() / "Old.VBK"));
}

TEST_F(CliCommandsTest, ABackupFolderThatCannotBeWrittenIsRefusedBeforeConnecting) {
    // As an ordinary user (the super-user may write anywhere): a folder of root's, 0755.
    const fs::path config = root_ / "open-config";
    fs::create_directories(config);
    fs::permissions(config, fs::perms::all);
    std::vector<std::string> command = {VANTREL_CLI,        "backup", "Site",          "--folder",
                                        Backups().string(), "--port", "/dev/null/none"};
    if (::geteuid() == 0) {
        command.insert(command.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups"});
    } else {
        fs::permissions(Backups(), fs::perms::owner_read | fs::perms::owner_exec);
    }
    ProcessOptions options;
    options.env = {"XDG_CONFIG_HOME=" + config.string(), "HOME=" + config.string()};
    const ProcessResult run = RunProcess(
        ::geteuid() == 0 ? "/usr/bin/setpriv" : command[0],
        std::vector<std::string>(command.begin() + (::geteuid() == 0 ? 0 : 1), command.end()),
        options);
    fs::permissions(Backups(), fs::perms::owner_all);
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_TRUE(Contains(run.err, "The backup folder cannot be written")) << run.err;
    EXPECT_FALSE(Contains(run.err + run.out, "Error opening port")) << "it tried to connect";
}

TEST_F(CliCommandsTest, ATraceFileThatCannotBeWrittenIsAWarningAtOnce) {
    const ProcessResult badFolder = InFolder(
        {"backup", "Site", "--port", "/dev/null/none", "--trace", "/nonexistent/dir/t.log"});
    EXPECT_TRUE(Contains(badFolder.err,
                         "warning: cannot write the trace file "
                         "'/nonexistent/dir/t.log'"))
        << badFolder.err;
    EXPECT_TRUE(Contains(badFolder.out + badFolder.err, "Error opening port")) << "went on";
}

TEST_F(CliCommandsTest, ListRefusesAFolderThatIsNotThereAndShowsHostileNamesSafely) {
    const ProcessResult missing = Vantrel({"list", "--folder", (root_ / "nowhere").string()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(Contains(missing.err, "the backup folder does not exist: ")) << missing.err;
    std::ofstream(root_ / "plain-file") << "x";
    EXPECT_EQ(Vantrel({"list", "--folder", (root_ / "plain-file").string()}).exitCode, 2);

    // A title that would retitle the terminal, break the table or start a control sequence.
    AddBackup(
        "Site\x1b]0;owned\x07 \x9b"
        "2J\nrow.vbk");
    const ProcessResult table = InFolder({"list"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_TRUE(Contains(table.out, "Site?]0;owned? ?2J?row")) << table.out;
    for (const char c : table.out) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE((byte >= 0x20 && byte < 0x7F) || c == '\n') << int(byte);
    }
    const ProcessResult json = InFolder({"list", "--json"});
    EXPECT_TRUE(Contains(json.out, "\\u001b]0;owned\\u0007")) << json.out;
}

TEST_F(CliCommandsTest, ListShowsReadableBackupsSortedAndNamesTheOthersOnStderr) {
    AddBackup("b second.vbk");
    AddBackup("A first.VBK");
    AddCorrupt("Broken.vbk");
    std::ofstream(Backups() / ".hidden.vbk.tmp") << "partial";

    const ProcessResult table = InFolder({"list"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_TRUE(Contains(table.out, "File Name")) << table.out;
    EXPECT_LT(table.out.find("A first"), table.out.find("b second")) << table.out;
    EXPECT_FALSE(Contains(table.out, "Broken") || Contains(table.out, "hidden")) << table.out;
    EXPECT_EQ(table.err, "Could not open Broken backup file for loading\n");

    const ProcessResult verbose = InFolder({"list", "--verbose"});
    EXPECT_TRUE(Contains(verbose.err, "Broken.vbk: it is not a backup")) << verbose.err;

    const ProcessResult json = InFolder({"list", "--json"});
    ASSERT_EQ(json.exitCode, 0);
    const QJsonArray rows = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).array();
    ASSERT_EQ(rows.size(), 2) << json.out;
    const QJsonObject first = rows[0].toObject();
    QStringList keys = first.keys();
    keys.sort();
    EXPECT_EQ(keys, QStringList({"backupDate", "dateFrom", "dateTo", "file", "profiles", "title"}));
    EXPECT_EQ(first["title"].toString(), "A first");
    EXPECT_EQ(first["profiles"].toInt(), 2);
    EXPECT_TRUE(first["file"].toString().endsWith("A first.VBK"));
    EXPECT_TRUE(first["dateFrom"].toString().contains('T')) << json.out;

    // The folder may also come from the settings, and options may precede the command.
    ASSERT_EQ(Vantrel({"settings", "Default Path", Backups().string()}).exitCode, 0);
    EXPECT_TRUE(Contains(Vantrel({"list"}).out, "b second"));
    EXPECT_TRUE(
        Contains(Vantrel({"--folder", (root_ / "home").string(), "list"}).out, "No backups"));
}

TEST_F(CliCommandsTest, SettingsShowDefaultsThenStoredValues) {
    const ProcessResult fresh = Vantrel({"settings"});
    ASSERT_EQ(fresh.exitCode, 0);
    for (const char* line : {"Port = COM1 (default)\n", "Baud Rate = 0 (9600 baud) (default)\n",
                             "CommPort Sel = 0 (default)\n", "StartOnTaskBar = 1 (default)\n",
                             "StartOnTaskBarAllowed = 0 (default)\n"}) {
        EXPECT_TRUE(Contains(fresh.out, line)) << line << "\n" << fresh.out;
    }
    // The start-up writes happened: these three are stored, so not marked as defaults.
    EXPECT_TRUE(Contains(fresh.out, "CommsTimeOut = 2\n")) << fresh.out;
    EXPECT_TRUE(Contains(fresh.out, "CommsAttempts = 3\n"));
    EXPECT_TRUE(Contains(Slurp(SettingsFile()), "Home%20Directory=")) << Slurp(SettingsFile());

    const struct {
        std::vector<std::string> args;
        std::string shown;
    } writes[] = {
        {{"settings", "port", "ttyUSB3"}, "Port = ttyUSB3\n"},
        {{"settings", "Baud Rate", "38400"}, "Baud Rate = 2 (38400 baud)\n"},
        {{"settings", "Export Path", (root_ / "home" / ".").string()},
         "Export Path = " + (root_ / "home").string() + "\n"},
    };
    for (const auto& w : writes) {
        const ProcessResult run = Vantrel(w.args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
    }
    const ProcessResult after = Vantrel({"settings"});
    for (const auto& w : writes) EXPECT_TRUE(Contains(after.out, w.shown)) << after.out;

    // A value edited by hand into something that is no number is shown, with what is used.
    std::ofstream(SettingsFile(), std::ios::app) << "\n[StartUp]\nStartOnTaskBar=abc\n";
    EXPECT_TRUE(
        Contains(Vantrel({"settings"}).out, "StartOnTaskBar = abc (not a number: 1 is used)\n"));
}

TEST_F(CliCommandsTest, SettingsFilesThatAreNoFilesAreRefusedAndLeftAsTheyWere) {
    fs::create_directories(SettingsFile().parent_path());
    ASSERT_EQ(::mkfifo(SettingsFile().c_str(), 0600), 0);
    // Reading the named pipe would wait for a writer for ever.
    ProcessResult run = Vantrel({"list"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "vantrel list: cannot use the settings file " + SettingsFile().string() +
                           ": it is a named pipe (FIFO), not a regular file\n");
    EXPECT_TRUE(fs::is_fifo(SettingsFile()));

    fs::remove(SettingsFile());
    fs::create_symlink("/dev/null", SettingsFile());
    run = Vantrel({"settings", "Port", "ttyS1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "a symbolic link to /dev/null, a device")) << run.err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_symlink(SettingsFile()));
}

TEST_F(CliCommandsTest, TheSettingsFileIsWrittenOnlyForChangesAndThroughALinkToAFile) {
    ASSERT_EQ(Vantrel({"settings"}).exitCode, 0);
    // A save replaces the file by a new one: a new inode.
    const auto inode = [] {
        struct stat info {};
        return ::stat(SettingsFile().c_str(), &info) == 0 ? info.st_ino : 0;
    };
    const auto first = inode();
    EXPECT_EQ(InFolder({"list"}).exitCode, 0);
    EXPECT_EQ(Vantrel({"settings"}).exitCode, 0);
    EXPECT_EQ(inode(), first) << "nothing changed, nothing written";

    // A link to a file of the user's elsewhere (kept with other configuration files).
    const fs::path kept = root_ / "home" / "vantrel.conf";
    fs::rename(SettingsFile(), kept);
    fs::create_symlink(kept, SettingsFile());
    EXPECT_EQ(Vantrel({"settings", "Port", "ttyS2"}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(SettingsFile()));
    EXPECT_TRUE(Contains(Slurp(kept), "Port=ttyS2")) << Slurp(kept);
    fs::remove(kept);
}

TEST_F(CliCommandsTest, WritersThroughTwoLinksToOneSettingsFileTakeTurnsAndKeepBothValues) {
    ASSERT_EQ(Vantrel({"settings"}).exitCode, 0);  // the start-up values: nothing more to save
    const fs::path kept = root_ / "home" / "vantrel.conf";
    fs::rename(SettingsFile(), kept);
    fs::create_symlink(kept, SettingsFile());
    const fs::path otherConfig = root_ / "config-2";
    fs::create_directories(otherConfig / "Ortvel");
    fs::create_symlink(SettingsFile(), otherConfig / "Ortvel" / "VantrelUtilities.conf");

    // The first writer that has read the file waits until the other is held off by the lock
    // (or, were the lock not shared, has read the same file too).
    const fs::path marks = root_ / "marks";
    fs::create_directories(marks);
    ProcessOptions one = Options();
    ProcessOptions two = Options(otherConfig);
    for (ProcessOptions* options : {&one, &two}) {
        options->env.push_back("VANTREL_TEST_RACE_FOLDER=" + marks.string());
    }
    test::CliProcess port(VANTREL_CLI, {"settings", "Port", "ttyS7"}, one);
    test::CliProcess baud(VANTREL_CLI, {"settings", "Baud Rate", "2"}, two);
    EXPECT_EQ(port.Wait(std::chrono::seconds{60}), 0) << port.Err();
    EXPECT_EQ(baud.Wait(std::chrono::seconds{60}), 0) << baud.Err();

    EXPECT_TRUE(fs::is_symlink(SettingsFile()));
    EXPECT_TRUE(Contains(Slurp(kept), "Port=ttyS7")) << Slurp(kept);
    EXPECT_TRUE(Contains(Slurp(kept), "Baud%20Rate=2")) << Slurp(kept);
    std::multiset<std::string> steps;
    for (const auto& mark : fs::directory_iterator(marks)) {
        const std::string name = mark.path().filename().string();
        steps.insert(name.substr(0, name.find('.')));
    }
    EXPECT_EQ(steps,
              (std::multiset<std::string>{"settings-read", "settings-read", "settings-waiting"}));
    fs::remove(kept);
    fs::remove_all(otherConfig);
    fs::remove_all(marks);
}

TEST_F(CliCommandsTest, SettingsThatCannotBeSavedEndWithTheFileAndTheReason) {
    fs::create_directories(Config());
    std::ofstream(Config() / "Ortvel") << "a file where the folder belongs";
    const ProcessResult run = InFolder({"list"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "vantrel list: could not write the settings file " +
                           SettingsFile().string() + ": Not a directory\n");
    EXPECT_EQ(run.out, "") << "nothing is reported as done";
}

TEST_F(CliCommandsTest, ExportRemembersItsFolderOnlyOnceTheExportIsAccepted) {
    AddBackup("site.vbk");
    const fs::path out = root_ / "exports";
    fs::create_directories(out);

    // A refused export stores nothing.
    EXPECT_EQ(Vantrel({"export", (Backups() / "site.vbk").string(), "--out", (out / "x").string(),
                       "--profiles", "99"})
                  .exitCode,
              2);
    EXPECT_FALSE(Contains(Slurp(SettingsFile()), "Export%20Path"));

    const ProcessResult run =
        Vantrel({"export", (Backups() / "site.vbk").string(), "--out", (out / "North").string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::exists(out / "North (Pro01).csv"));
    EXPECT_TRUE(Contains(Slurp(SettingsFile()), "Export%20Path=" + out.string()))
        << Slurp(SettingsFile());
}

}  // namespace
}  // namespace vantrel
