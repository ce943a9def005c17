// SPDX-License-Identifier: GPL-3.0-or-later
// The settings values: defaults, start-up writes, the link settings the operations open.

#include <gtest/gtest.h>

#include "ops/AppSettings.h"
#include "ops/LoggerFixture.h"
#include "ops/TestArchives.h"
#include "platform/FixedSpecialFolders.h"
#include "platform/MemorySettings.h"

namespace vantrel::test {
namespace {

using namespace settings;
namespace fs = std::filesystem;

using FixedFolders = FixedSpecialFolders;

TEST(AppSettings, FirstStartWritesHomeAndCommsValuesOnly) {
    MemorySettings store;
    const CommsValues comms = RecordStartUp(store, "/opt/vantrel/bin/vantrel-gui");

    EXPECT_EQ(comms.timeOut, 2);
    EXPECT_EQ(comms.attempts, 3);
    EXPECT_EQ(store.GetString(kSettings, kHomeDirectory, ""), "/opt/vantrel/bin");
    EXPECT_EQ(store.GetString(kSettings, kCommsTimeOut, ""), "2");
    EXPECT_EQ(store.GetString(kSettings, kCommsAttempts, ""), "3");
    for (const auto name : {kPort, kBaudRate, kDefaultPath, kExportPath, kCommPortSel}) {
        EXPECT_FALSE(store.Contains(kSettings, name)) << name;
    }
}

TEST(AppSettings, HomeDirectoryIsTheProgramPathCutAtItsLastSeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/vantrel/bin/vantrel-gui", "/opt/vantrel/bin"},
        {"/vantrel", ""},
        {"vantrel", ""},
    };
    for (const auto& [program, home] : cases) {
        MemorySettings store;
        RecordStartUp(store, program);
        EXPECT_EQ(store.GetString(kSettings, kHomeDirectory, "unset"), home) << program;
    }
}

TEST(AppSettings, StartUpKeepsCommsValuesSetByHand) {
    MemorySettings store;
    store.WriteInt(kSettings, kCommsTimeOut, 10);
    const CommsValues comms = RecordStartUp(store, "vantrel");
    EXPECT_EQ(comms.timeOut, 10);
    EXPECT_EQ(store.GetInt(kSettings, kCommsTimeOut, 0), 10);
    EXPECT_EQ(store.GetInt(kSettings, kCommsAttempts, 0), 3);
}

TEST(AppSettings, StartsMinimisedOnlyWhenAllowedAndAsked) {
    struct Case {
        std::optional<int> allowed, asked;
        bool minimised;
    };
    const Case cases[] = {{{}, {}, false}, {1, {}, true}, {{}, 1, false},
                          {1, 0, false},   {1, 1, true},  {0, 1, false}};
    for (const Case& c : cases) {
        MemorySettings store;
        if (c.allowed) store.WriteInt(kStartUp, kStartOnTaskBarAllowed, *c.allowed);
        if (c.asked) store.WriteInt(kStartUp, kStartOnTaskBar, *c.asked);
        EXPECT_EQ(StartsMinimised(store), c.minimised);
    }
}

TEST(AppSettings, LinkSettingsDefaultToCom1At9600AndMapTheBaudIndex) {
    MemorySettings store;
    LinkSettings link = ReadLinkSettings(store);
    EXPECT_EQ(link.port, "COM1");
    EXPECT_EQ(link.baudRate, 9600);

    store.WriteString(kSettings, kPort, "ttyUSB0");
    const std::pair<int, int> bauds[] = {{0, 9600}, {1, 19200}, {2, 38400}, {3, 0}, {-1, 0}};
    for (const auto& [index, baud] : bauds) {
        store.WriteInt(kSettings, kBaudRate, index);
        link = ReadLinkSettings(store);
        EXPECT_EQ(link.port, "ttyUSB0");
        EXPECT_EQ(link.baudRate, baud) << index;
    }
}

TEST(AppSettings, InvalidBaudIndexMakesTheOperationReportErrorOpeningPort) {
    MemorySettings store;
    store.WriteInt(kSettings, kBaudRate, 3);
    LoggerFixture f(FullImage());
    CLoggerOperations ops(f.link, f.prompt, [&store] { return ReadLinkSettings(store); });

    EXPECT_EQ(ops.BackupLogger(&f.page, "unused.vbk"), 0);
    f.Drain();
    ASSERT_EQ(f.prompt.shown().size(), 1u);
    EXPECT_EQ(f.prompt.shown()[0].caption, "Error opening port");
    EXPECT_EQ(f.page.LastStatus(), "Failed to open port");

    // The settings are read again by the next operation.
    store.WriteInt(kSettings, kBaudRate, 2);
    EXPECT_EQ(ops.RestoreLogger(&f.page, MakeArchive({})), 1);
}

TEST(AppSettings, FoldersFallBackToTheSpecialFolderThenTheCurrentDirectory) {
    MemorySettings store;
    FixedFolders folders;
    folders.documents = "/home/u/Documents";
    folders.desktop = "/home/u/Desktop";
    EXPECT_EQ(ReadBackupFolder(store, folders), "/home/u/Documents");
    EXPECT_EQ(ReadExportFolder(store, folders), "/home/u/Desktop");

    const FixedFolders none;
    EXPECT_EQ(ReadBackupFolder(store, none), fs::current_path().string());
    EXPECT_EQ(ReadExportFolder(store, none), fs::current_path().string());

    // A stored empty text is a value (the bare name in the current directory).
    WriteBackupFolder(store, "");
    WriteExportFolder(store, "/srv/exports");
    EXPECT_EQ(ReadBackupFolder(store, folders), "");
    EXPECT_EQ(ReadExportFolder(store, folders), "/srv/exports");
}

TEST(AppSettings, SettingsPageValuesHaveNoPortDefault) {
    MemorySettings store;
    EXPECT_EQ(ReadChosenPort(store), "");
    EXPECT_EQ(ReadCommPortSelection(store), 0);
    WriteLinkChoice(store, "ttyS1", 1);
    EXPECT_EQ(ReadChosenPort(store), "ttyS1");
    EXPECT_EQ(ReadBaudIndex(store), 1);
}

}  // namespace
}  // namespace vantrel::test
