// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces the logger commands share: the progress line and printer, the console
// prompt, and the settings table with its checked writes.

#include <gtest/gtest.h>

#include <filesystem>
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

TEST(RestoreRecordTest, ARestoreCutOffIsRecordedAsItGoesAndToldOnce) {
    MemorySettings store;
    RestoreOutcome outcome;
    outcome.filesTotal = 9;
    RecordRestoreProgress(store, outcome);  // never reached the logger
    EXPECT_EQ(TakeCutOffRestoreNotice(store), "");

    outcome.stage = RestoreOutcome::Stage::Erasing;
    RecordRestoreProgress(store, outcome);
    outcome.stage = RestoreOutcome::Stage::Uploading;
    outcome.filesComplete = 4;
    RecordRestoreProgress(store, outcome);
    // A later restore that never reached the logger leaves the record as it is.
    RecordRestoreProgress(store, RestoreOutcome{});
    EXPECT_EQ(TakeCutOffRestoreNotice(store),
              "The last restore was cut off; the logger holds 4 of 9 files.\n"
              "Restoring the same backup again puts it right.");
    EXPECT_EQ(TakeCutOffRestoreNotice(store), "");

    // A completed restore removes the record.
    RecordRestoreProgress(store, outcome);
    outcome.stage = RestoreOutcome::Stage::Done;
    outcome.filesComplete = 9;
    RecordRestoreProgress(store, outcome);
    EXPECT_EQ(TakeCutOffRestoreNotice(store), "");
    EXPECT_FALSE(store.Contains(settings::kLastRestore, settings::kFilesTotal));

    // A record spoilt by hand still tells that a restore was cut off, also one that counts
    // every file as sent.
    store.WriteString(settings::kLastRestore, settings::kFilesTotal, "3");
    store.WriteString(settings::kLastRestore, settings::kFilesComplete, "3");
    EXPECT_EQ(TakeCutOffRestoreNotice(store),
              "The last restore was cut off; the logger may not hold all of its files.\n"
              "Restoring the backup again puts it right.");
    store.WriteString(settings::kLastRestore, settings::kFilesTotal, "lots");
    EXPECT_TRUE(TakeCutOffRestoreNotice(store).starts_with("The last restore was cut off;"));
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
