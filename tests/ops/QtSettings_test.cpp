// SPDX-License-Identifier: GPL-3.0-or-later
// The QSettings store: sections as groups, defaults for missing and unreadable values.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "ops/TestArchives.h"
#include "platform/qt/QtSettings.h"
#include "platform/qt/QtSpecialFolders.h"

namespace vantrel::test {
namespace {

TEST(QtSettings, ValuesLiveInTheirSectionsGroupAndReadBackAfterReopening) {
    TempFolder folder;
    const QString ini = QString::fromStdString(folder / "VantrelUtilities.conf");
    {
        QtSettings store(ini);
        EXPECT_TRUE(store.WriteString("Settings", "Port", "ttyUSB0"));
        EXPECT_TRUE(store.WriteInt("Settings", "Baud Rate", 2));
        EXPECT_TRUE(store.WriteString("Settings", "Default Path", "/home/u/Vantrel Backups"));
        EXPECT_TRUE(store.WriteInt("StartUp", "StartOnTaskBar", 0));
        EXPECT_TRUE(store.Sync());
    }
    const std::string text = ReadBytes(folder / "VantrelUtilities.conf");
    EXPECT_NE(text.find("[Settings]"), std::string::npos) << text;
    EXPECT_NE(text.find("[StartUp]"), std::string::npos) << text;

    QtSettings reopened(ini);
    EXPECT_EQ(reopened.GetString("Settings", "Port", "COM1"), "ttyUSB0");
    EXPECT_EQ(reopened.GetInt("Settings", "Baud Rate", 0), 2);
    EXPECT_EQ(reopened.GetString("Settings", "Default Path", ""), "/home/u/Vantrel Backups");
    EXPECT_EQ(reopened.GetInt("StartUp", "StartOnTaskBar", 1), 0);
    EXPECT_EQ(reopened.GetInt("Settings", "StartOnTaskBar", 7), 7) << "sections are apart";
}

TEST(QtSettings, MissingOrUnreadableValuesGiveTheDefault) {
    TempFolder folder;
    WriteBytes(folder.path() / "v.conf", "[Settings]\nBaud%20Rate=fast\nPort=\n");
    QtSettings store(QString::fromStdString(folder / "v.conf"));
    EXPECT_EQ(store.GetInt("Settings", "Baud Rate", 0), 0);
    EXPECT_EQ(store.GetInt("Settings", "CommsTimeOut", 2), 2);
    EXPECT_EQ(store.GetString("Settings", "Port", "COM1"), "") << "an empty text is a value";
    EXPECT_EQ(store.GetString("Settings", "Export Path", "/desk"), "/desk");
}

TEST(QtSettings, SpecialFoldersFollowTheUsersFolderSettingsWhenTheyExist) {
    TempFolder home;
    std::filesystem::create_directories(home.path() / ".config");
    std::filesystem::create_directories(home.path() / "Field Data");  // no "Bureau"
    WriteBytes(home.path() / ".config" / "user-dirs.dirs",
               "XDG_DOCUMENTS_DIR=\"$HOME/Field Data\"\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::optional<std::string> savedConfig =
        oldConfig ? std::optional<std::string>(oldConfig) : std::nullopt;
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() / ".config").c_str(), 1);

    const QtSpecialFolders folders;
    const auto documents = folders.Documents();
    const auto desktop = folders.Desktop();

    setenv("HOME", savedHome.c_str(), 1);
    if (savedConfig) {
        setenv("XDG_CONFIG_HOME", savedConfig->c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
    EXPECT_EQ(documents, home.path() / "Field Data");
    EXPECT_EQ(desktop, std::nullopt) << "a missing folder falls back to the current directory";
}

}  // namespace
}  // namespace vantrel::test
