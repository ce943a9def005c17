// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces the logger commands share: the progress line and printer, the console
// prompt, the settings table with its checked writes, and the records of unfinished restores.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "base/PathText.h"
#include "cli/Command.h"
#include "cli/ConsolePrompt.h"
#include "cli/InfoJson.h"
#include "cli/ProgressPrinter.h"
#include "cli/TerminalText.h"
#include "frontend/RestoreRecord.h"
#include "frontend/SettingsTable.h"
#include "link/PortName.h"
#include "platform/FixedSpecialFolders.h"
#include "platform/MemorySettings.h"
#include "platform/qt/QtSettings.h"

namespace vantrel::cli {
namespace {

TEST(ProgressLineTest, BarPercentErrorsAndRateFitTheWidth) {
    EXPECT_EQ(ProgressBar(0, 10), "[..........]");
    EXPECT_EQ(ProgressBar(45, 10), "[####......]");
    EXPECT_EQ(ProgressBar(250, 10), "[##########]");  // a bad value never overflows the bar

    ProgressState state{"Retrieving PRO01.DAT00", 45, 2, 960, true};
    EXPECT_EQ(FormatProgressLine(state, 200),
              "Retrieving PRO01.DAT00 [####......]  45%  errors 2  960 cps");
    state.rateKnown = false;  // before the first rate tick no rate is claimed
    EXPECT_EQ(FormatProgressLine(state, 200), "Retrieving PRO01.DAT00 [####......]  45%  errors 2");

    // Too narrow: the status text is cut, the numbers stay.
    const std::string narrow = FormatProgressLine(state, 40);
    EXPECT_EQ(narrow.size(), 40u);
    EXPECT_EQ(narrow.substr(narrow.size() - 8), "errors 2");
    EXPECT_LE(FormatProgressLine(state, 10).size(), 10u);
}

TEST(ProgressPrinterTest, PlainOutputHasOneLinePerStatusChange) {
    std::ostringstream out;
    ProgressPrinter printer(out, /*live=*/false);
    printer.OnNotification(Notification::Status(0, std::string("Retrieving A")));
    printer.OnNotification(Notification::Status(40, std::nullopt));
    printer.OnNotification(Notification::Status(kKeepProgress, std::string("Retrieving A")));
    printer.OnNotification(Notification::Errors(1));
    printer.OnNotification(Notification::Rate(900));
    printer.OnNotification(Notification::Status(0, std::string("Backup completed")));
    printer.Finish();
    EXPECT_EQ(out.str(), "Retrieving A\nBackup completed\n");
    EXPECT_EQ(printer.LastStatus(), "Backup completed");
}

TEST(ProgressPrinterTest, LiveLineIsRedrawnAndGivesWayToTheFinalStatus) {
    std::ostringstream out;
    ProgressPrinter printer(out, /*live=*/true, 80);
    printer.OnNotification(Notification::Status(0, std::string("Retrieving A")));
    printer.OnNotification(Notification::Status(50, std::string("Retrieving B")));
    const std::string drawn = out.str();
    EXPECT_EQ(drawn.find('\n'), std::string::npos) << "a live line never scrolls";
    EXPECT_NE(drawn.find("\rRetrieving B [#####.....]  50%"), std::string::npos) << drawn;
    printer.ClearLine();
    printer.OnNotification(Notification::Status(0, std::string("Done")));
    printer.Finish();
    EXPECT_EQ(out.str().substr(out.str().size() - 9), "\r\x1b[KDone\n") << out.str();
}

TEST(ConsolePromptTest, QuestionsAnswersAndWhereTextsGo) {
    const struct {
        ConsolePrompt::Options options;
        std::string input;
        PromptButtons buttons;
        PromptAnswer expected;
        bool refused;
    } cases[] = {
        {{.assumeYes = true, .interactive = false},
         "",
         PromptButtons::YesNo,
         PromptAnswer::Yes,
         false},
        {{.assumeYes = false, .interactive = false},
         "y\n",
         PromptButtons::YesNo,
         PromptAnswer::No,
         true},
        {{.assumeYes = false, .interactive = false},
         "",
         PromptButtons::OKCancel,
         PromptAnswer::Cancel,
         true},
        {{.assumeYes = false, .interactive = true},
         " Yes \n",
         PromptButtons::OKCancel,
         PromptAnswer::OK,
         false},
        {{.assumeYes = false, .interactive = true},
         "n\n",
         PromptButtons::YesNo,
         PromptAnswer::No,
         false},
        {{.assumeYes = false, .interactive = true},
         "",
         PromptButtons::YesNo,
         PromptAnswer::No,
         false},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        std::ostringstream out, err;
        ConsolePrompt prompt(in, out, err, c.options);
        EXPECT_EQ(prompt.Show("Sure ?", "Caption", c.buttons, PromptIcon::Question), c.expected)
            << c.input;
        EXPECT_EQ(prompt.RefusedQuestion(), c.refused) << c.input;
        EXPECT_TRUE(out.str().empty());
    }

    std::istringstream in;
    std::ostringstream out, err;
    ConsolePrompt prompt(in, out, err, {});
    int cleared = 0;
    prompt.SetBeforePrint([&] { ++cleared; });
    prompt.Show("Could not rename file");
    prompt.Show("All done", "Report", PromptButtons::OK, PromptIcon::Information);
    EXPECT_EQ(err.str(), "Could not rename file\n");
    EXPECT_EQ(out.str(), "Report\nAll done\n");
    EXPECT_EQ(cleared, 2);
}

FixedSpecialFolders FixedFolders() {
    return FixedSpecialFolders("/docs", std::nullopt);
}

TEST(SettingsTableTest, MarksDefaultsAndExplainsStoredValues) {
    MemorySettings store;
    store.WriteInt("Settings", "Baud Rate", 7);
    store.WriteString("Settings", "CommsTimeOut", "ten");
    store.WriteString("Settings", "Port", "ttyUSB0");
    const std::string text = FormatSettingsTable(ReadSettingsTable(store, FixedFolders()));
    EXPECT_NE(text.find("[Settings]\nHome Directory = (not set) (default)\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Port = ttyUSB0\n"), std::string::npos);
    EXPECT_NE(text.find("Baud Rate = 7 (not 0, 1 or 2: no port will open)\n"), std::string::npos);
    EXPECT_NE(text.find("CommsTimeOut = ten (not a number: 2 is used)\n"), std::string::npos);
    EXPECT_NE(text.find("Default Path = /docs (default)\n"), std::string::npos);
    EXPECT_NE(text.find("\n\n[StartUp]\n"), std::string::npos);
}

TEST(SettingsTableTest, WritesOnlyCheckedValuesInTheirStoredForm) {
    // An existing folder, spelled as the platform does ("/tmp", "C:\\users\\me\\Temp").
    const std::string folder =
        Utf8FromPath(std::filesystem::canonical(std::filesystem::temp_directory_path()));
    const struct {
        std::string key, value, name, stored;
    } accepted[] = {
        {"Baud Rate", "0", "Baud Rate", "0"},
        {"baud rate", "19200", "Baud Rate", "1"},
        {"Baud Rate", "2", "Baud Rate", "2"},
        {"PORT", "/tmp/link", "Port", "/tmp/link"},
        {"Default Path", folder + kPathSeparator, "Default Path", folder},
    };
    for (const auto& c : accepted) {
        MemorySettings store;
        const SettingWritten written = WriteSetting(store, c.key, c.value);
        EXPECT_EQ(written.name, c.name);
        EXPECT_EQ(written.stored, c.stored);
        EXPECT_EQ(store.GetString("Settings", c.name, "?"), c.stored) << c.key;
    }
    for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
             {"Baud Rate", "9601"},
             {"Baud Rate", "-1"},
             {"Baud Rate", "1x"},
             {"Export Path", "/no/such/folder"},
             {"Port", ""},
             {"Port", "ttyS\xC3"},
             {"Default Path", folder + kPathSeparator + "\xFF"},
             {"CommPort Sel", "1"},
             {"Home Directory", "/tmp"}}) {
        MemorySettings store;
        EXPECT_THROW(WriteSetting(store, key, value), UsageError) << key << "=" << value;
        EXPECT_FALSE(store.Contains("Settings", key)) << key;
    }
    MemorySettings store;
    EXPECT_NE(WriteSetting(store, "Port", "ttyNOSUCH9").warning.find(DevicePathOf("ttyNOSUCH9")),
              std::string::npos);
}

TEST(RestoreRecordTest, TheNoticeSaysHowTheRestoreEndedAndAdvisesOnlyWhereRepeatingHelps) {
    using Stage = RestoreOutcome::Stage;
    using Ending = RestoreOutcome::Ending;
    const std::string restore = "The restore of \"/b/Site.vbk\" to ttyUSB0 ";
    const std::string advice = "\nRestoring the same backup again puts it right.";
    const std::pair<RestoreOutcome, std::string> cases[] = {
        {{.stage = Stage::Uploading,
          .ending = Ending::Refused,
          .filesTotal = 8,
          .filesComplete = 7,
          .refusal = "Invalid Filename",
          .refusedName = "FIELD NOTES.TXT"},
         restore + "was refused by the logger.\n"
                   "The logger refused the file \"FIELD NOTES.TXT\": Invalid Filename.\n"
                   "The logger holds 7 of the backup's 8 files."},
        {{.stage = Stage::Erasing,
          .ending = Ending::Refused,
          .refusal = "File Locked",
          .refusedName = "OLD.TXT"},
         restore + "was refused by the logger.\n"
                   "The logger refused to delete \"OLD.TXT\": File Locked.\n"
                   "The logger was being erased: some of its files are gone."},
        {{.stage = Stage::Uploading,
          .ending = Ending::Cancelled,
          .filesTotal = 8,
          .filesComplete = 3},
         restore + "was cancelled.\nThe logger holds 3 of the backup's 8 files." + advice},
        {{.stage = Stage::Uploading,
          .ending = Ending::LineBroken,
          .filesTotal = 1,
          .cutOff = "ORTVELSOIL.CFG01"},
         restore +
             "was cut off: the link to the logger failed.\n"
             "The logger holds 0 of the backup's 1 file.\n"
             "ORTVELSOIL.CFG01 is cut off on the logger: it could not be deleted." +
             advice},
        // SIGKILL, or a second signal: the record still says the restore runs.
        {{.stage = Stage::Uploading,
          .ending = Ending::Running,
          .filesTotal = 8,
          .filesComplete = 5,
          .uploading = "PRO06.DAT00"},
         restore +
             "was cut off: the program ended during it.\n"
             "The logger holds 5 of the backup's 8 files.\n"
             "PRO06.DAT00 may be cut off on the logger." +
             advice},
        {{.stage = Stage::Erasing, .ending = Ending::ProgramEnded},
         restore +
             "was cut off: the program ended during it.\n"
             "The logger was being erased: some of its files are gone." +
             advice},
    };
    for (const auto& [outcome, says] : cases) {
        EXPECT_EQ(DescribeRecordedRestore({"ttyUSB0", "/b/Site.vbk", outcome}), says);
    }
}

TEST(RestoreRecordTest, EachRestoreKeepsItsOwnRecordAndOneStillRunningIsNeverTold) {
    using Stage = RestoreOutcome::Stage;
    const std::filesystem::path locks = PathFromUtf8(::testing::TempDir()) /
                                        ("restore-locks-" + std::to_string(std::random_device()()));
    std::filesystem::remove_all(locks);
    MemorySettings store;
    RestoreRecords records(store, locks);
    RestoreRecords otherStart(store, locks);  // another program on the same settings
    const RestoreOutcome erasing{.stage = Stage::Erasing, .filesTotal = 9};
    const RestoreOutcome uploading{
        .stage = Stage::Uploading, .filesTotal = 9, .filesComplete = 4, .uploading = "PRO03.DAT00"};
    const RestoreOutcome done{.stage = Stage::Done, .filesTotal = 9, .filesComplete = 9};

    RestoreRecording(records, "ttyUSB0", "/b/A.vbk").Update({.filesTotal = 9});  // not reached
    auto a = std::make_unique<RestoreRecording>(records, "ttyUSB0", "/b/A.vbk");
    auto b = std::make_unique<RestoreRecording>(records, "ttyUSB1", "/b/B.vbk");
    a->Update(erasing);
    b->Update(erasing);
    b->Update(uploading);
    ASSERT_TRUE(records.Read(1) && records.Read(2));
    EXPECT_EQ(records.Read(1)->port, "ttyUSB0");
    EXPECT_EQ(records.Read(2)->outcome.uploading, "PRO03.DAT00");
    EXPECT_EQ(otherStart.TakeNotices(), "") << "both restores still run";

    // B's program ends during the upload; A completes and removes its own record only.
    b.reset();
    a->Update(done);
    a.reset();
    EXPECT_FALSE(records.Read(1));
    EXPECT_EQ(otherStart.TakeNotices(),
              "The restore of \"/b/B.vbk\" to ttyUSB1 was cut off: the program ended during it.\n"
              "The logger holds 4 of the backup's 9 files.\n"
              "PRO03.DAT00 may be cut off on the logger.\n"
              "Restoring the same backup again puts it right.");
    EXPECT_EQ(otherStart.TakeNotices(), "") << "told once";

    // A restore that reaches a logger replaces what an earlier one left on its port.
    RestoreRecording(records, "ttyUSB0", "/b/A.vbk").Update(erasing);
    RestoreRecording(records, "ttyUSB1", "/b/B.vbk").Update(erasing);
    RestoreRecording(records, "ttyUSB0", "/b/C.vbk").Update(uploading);
    const std::string notices = records.TakeNotices();
    EXPECT_EQ(notices.find("A.vbk"), std::string::npos) << notices;
    EXPECT_NE(notices.find("\"/b/B.vbk\" to ttyUSB1"), std::string::npos) << notices;
    EXPECT_NE(notices.find("\"/b/C.vbk\" to ttyUSB0"), std::string::npos) << notices;

    // The single record of earlier versions is told once, without advice it cannot back.
    store.WriteInt(settings::kLastRestore, settings::kFilesComplete, 7);
    store.WriteInt(settings::kLastRestore, settings::kFilesTotal, 8);
    EXPECT_EQ(records.TakeNotices(),
              "A restore by an earlier version of this program was cut off; the logger holds 7 "
              "of 8 files.\nUnless the logger refused that backup, restoring it again puts it "
              "right.");
    EXPECT_FALSE(store.Contains(settings::kLastRestore, settings::kFilesTotal));
    store.WriteString(settings::kLastRestore, settings::kFilesTotal, "lots");  // spoilt by hand
    EXPECT_TRUE(records.TakeNotices().starts_with(
        "A restore by an earlier version of this program was cut off; the logger may not hold "
        "all of its files."));

    // A record spoilt by hand (a stage no restore writes, or none) has nothing true to tell:
    // it goes untold, and its slot is free again.
    store.WriteString("Restore 3", "Stage", "uploading\nerasing");
    store.WriteString("Restore 3", "Backup", "/b/E.vbk");
    store.WriteInt("Restore 4", "Complete", 3);
    EXPECT_EQ(records.TakeNotices(), "");
    EXPECT_FALSE(store.HasSection("Restore 3") || store.HasSection("Restore 4"));
    std::filesystem::remove_all(locks);
}

TEST(RestoreRecordTest, ARecordASettingsFileLeftAsItIsKeepsIsToldOnceARunSayingWhyItComesAgain) {
    const std::filesystem::path folder = PathFromUtf8(::testing::TempDir()) /
                                         ("restore-kept-" + std::to_string(std::random_device()()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / "VantrelUtilities.conf";
    const QString fileName = QString::fromStdString(Utf8FromPath(file));
    {
        QtSettings store(fileName);
        RestoreRecords records(store, folder);
        RestoreRecording(records, "ttyUSB0", "/b/A.vbk")
            .Update({.stage = RestoreOutcome::Stage::Erasing, .filesTotal = 9});
    }
    const std::string told =
        DescribeRecordedRestore({"ttyUSB0", "/b/A.vbk", {.stage = RestoreOutcome::Stage::Erasing}});
    const auto start = [&] {
        QtSettings store(fileName);
        RestoreRecords records(store, folder);
        const std::string notices = records.TakeNotices();
        EXPECT_EQ(records.TakeNotices(), "") << "told once a run";
        return std::pair{notices, store.Problem()};
    };
    // A comment typed into the file: a save would lose it, so the record cannot be removed.
    std::ifstream in(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    in.close();
    std::ofstream(file, std::ios::binary) << "; the field laptop\n" << text;
    for (int run = 0; run < 2; ++run) {
        const auto [notices, problem] = start();
        EXPECT_NE(problem.find("is left as it is"), std::string::npos) << problem;
        EXPECT_EQ(notices, told +
                               "\n\nThis notice comes again at each start until the settings "
                               "can be saved: " +
                               problem + ".");
    }
    std::ofstream(file, std::ios::binary) << text;  // mended
    EXPECT_EQ(start().first, told);
    EXPECT_EQ(start().first, "");
    std::filesystem::remove_all(folder);
}

TEST(InfoJsonTest, LoggerFileNamesAreEightBitTextsNeverMerged) {
    BackupSummary summary;
    summary.otherFiles = {{"CAF\xC9.ID", 2}, {"CAF\xE9.ID", 3}, {"PRODUCTS.GR", 30}};
    const std::string json = BackupSummaryJson(summary);
    // Each byte is one character: 0xC9 is "\u00C9" and 0xE9 is "\u00E9", written as UTF-8.
    EXPECT_NE(json.find("\"CAF\xC3\x89.ID\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"CAF\xC3\xA9.ID\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"PRODUCTS.GR\""), std::string::npos) << json;
}

TEST(TerminalTextTest, ControlCharactersFromOutsideNeverReachTheTerminal) {
    EXPECT_EQ(PrintableText("Retrieving \x1b[2JPRO01.DAT00\r"), "Retrieving ?[2JPRO01.DAT00?");
    EXPECT_EQ(PrintableText("A\tB\x7f\n"), "A?B??");
    EXPECT_EQ(PrintableText("line one\nline \x07two\n", true), "line one\nline ?two\n");
    EXPECT_EQ(PrintableText("CAF\xC9.ID"), "CAF\xC9.ID") << "8-bit names stay as they are";
    // C1 controls, as lone bytes or written as UTF-8, and broken UTF-8 around them.
    EXPECT_EQ(PrintableText("a\x9b"
                            "2Jb\xC2\x9b"
                            "c\x85\xC2\x9F"),
              "a?2Jb?c??");
    EXPECT_EQ(PrintableText("Caf\xC3\xA9 \xE2\x80\xBA Mo\xC3"), "Caf\xC3\xA9 \xE2\x80\xBA Mo\xC3");

    // The progress printer shows a status text with an escape sequence made harmless.
    std::ostringstream out;
    ProgressPrinter printer(out, /*live=*/false);
    printer.OnNotification(Notification::Status(0, std::string("Retrieving \x1b]0;x\x07"
                                                               "A")));
    EXPECT_EQ(out.str(), "Retrieving ?]0;x?A\n");
}

}  // namespace
}  // namespace vantrel::cli
