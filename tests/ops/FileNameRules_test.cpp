// SPDX-License-Identifier: GPL-3.0-or-later
// The names Windows keeps for its devices, or changes, refused there before any work by the
// backup, rename and export rules alike; on POSIX the same names are ordinary files.

#include <gtest/gtest.h>

#include "base/PathText.h"
#include "ops/BackupFolder.h"
#include "ops/BackupNaming.h"
#include "ops/ExportFileName.h"
#include "ops/FileNameRules.h"
#include "ops/TestArchives.h"
#include "platform/RecordingPrompt.h"

namespace vantrel::test {
namespace {

const bool kWindows = kPathSeparator == '\\';

struct NameRule {
    const char* name;
    const char* windowsReason;  // a part of the reason given on Windows; nullptr: taken
};

const NameRule kNames[] = {
    {"CON", "CON is the name of a device"},
    {"NUL", "NUL is the name of a device"},
    {"CONIN$", "CONIN$ is the name of a device"},
    {"conout$.vbk", "CONOUT$ is the name of a device"},
    {"con.vbk", "CON is the name of a device"},
    {"Nul.Vbk", "NUL is the name of a device"},
    {"NUL .vbk", "NUL is the name of a device"},
    {"aux.north.vbk", "AUX is the name of a device"},
    {"com1.data.vbk", "COM1 is the name of a device"},
    {"Lpt9", "LPT9 is the name of a device"},
    {"prn.csv", "PRN is the name of a device"},
    {"COM\xC2\xB9.vbk", "COM\xC2\xB9 is the name of a device"},
    {"North.", "drops the dots and spaces that end a name"},
    {"North ", "drops the dots and spaces that end a name"},
    {"a:b.vbk", "it holds ':'"},
    {"what?.vbk", "it holds '?'"},
    {"tab\there.vbk", "a control character"},
    {"CONSOLE.vbk", nullptr},
    {"COM10.vbk", nullptr},
    {"COM0.vbk", nullptr},
    {"LPT.vbk", nullptr},
    {"NULL.vbk", nullptr},
    {"x.CON", nullptr},
    {" NUL.vbk", nullptr},
    {"CON (Pro01).csv", nullptr},
    {"Field trip 06 Dec 2026.vbk", nullptr},
};

TEST(FileNameRules, WindowsRefusesDeviceNamesEndingDotsAndSpacesAndItsSpecialCharacters) {
    for (const NameRule& rule : kNames) {
        const std::string problem = FileNameProblem(rule.name);
        if (!kWindows || rule.windowsReason == nullptr) {
            EXPECT_EQ(problem, "") << rule.name;
            continue;
        }
        EXPECT_EQ(problem.rfind("'" + std::string(rule.name) + "' cannot be a file name", 0), 0u)
            << problem;
        EXPECT_NE(problem.find(rule.windowsReason), std::string::npos) << problem;
    }
}

TEST(FileNameRules, BackupRenameAndExportNamesAreCheckedAsTheFilesTheyMake) {
    // The backup's name gets ".vbk"; a profile file "F (ProNN).ext" from the export's F.
    EXPECT_EQ(BackupNameProblem("NUL ").empty(), !kWindows);
    EXPECT_EQ(BackupNameProblem("aux.north").empty(), !kWindows);
    EXPECT_EQ(BackupTitleProblem("com1").empty(), !kWindows);
    EXPECT_EQ(ExportNameProblem("CON.x.csv").empty(), !kWindows);
    EXPECT_EQ(ExportNameProblem("North.").empty(), !kWindows);
    EXPECT_EQ(BackupNameProblem("North."), "");
    EXPECT_EQ(BackupTitleProblem("North."), "");
    EXPECT_EQ(ExportNameProblem("CON.csv"), "") << "written as 'CON (Pro01).csv'";
    EXPECT_EQ(ExportNameProblem(std::string("NUL") + kPathSeparator + "North.csv"), "");

    TempFolder folder;
    WriteBytes(folder.path() / "South.vbk", "south");
    RecordingPrompt prompt;
    EXPECT_EQ(RenameBackup(folder.path(), "South", "Aux", prompt), !kWindows);
    if (kWindows) {
        EXPECT_EQ(prompt.Texts(), std::vector<std::string>{BackupTitleProblem("Aux")});
        EXPECT_EQ(ReadBytes(folder.path() / "South.vbk"), "south");
    }
}

}  // namespace
}  // namespace vantrel::test
