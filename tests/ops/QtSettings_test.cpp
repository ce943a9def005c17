// SPDX-License-Identifier: GPL-3.0-or-later
// The QSettings store: sections as groups, defaults for missing and unreadable values,
// files that are refused, saves only of changes, and the reason a save failed.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSettings>
#include <cstdlib>
#include <fstream>
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

namespace fs = std::filesystem;

ino_t InodeOf(const fs::path& file) {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(QtSettings, TheFileIsRewrittenOnlyWhenAValueChanges) {
    TempFolder folder;
    const fs::path file = folder.path() / "v.conf";
    {
        QtSettings store(QString::fromStdString(file.string()));
        store.WriteString("Settings", "Home Directory", "/opt/vantrel");
        store.WriteInt("Settings", "CommsTimeOut", 2);
        ASSERT_TRUE(store.Sync());
    }
    const std::string before = ReadBytes(file);
    // A save replaces the file by a new one, so a rewrite shows as a new inode.
    const ino_t inode = InodeOf(file);
    {
        QtSettings store(QString::fromStdString(file.string()));
        EXPECT_TRUE(store.WriteString("Settings", "Home Directory", "/opt/vantrel"));
        EXPECT_TRUE(store.WriteInt("Settings", "CommsTimeOut", 2));
        EXPECT_TRUE(store.Sync());
    }
    EXPECT_EQ(InodeOf(file), inode);
    EXPECT_EQ(ReadBytes(file), before);

    QtSettings store(QString::fromStdString(file.string()));
    store.WriteInt("Settings", "CommsTimeOut", 5);
    EXPECT_TRUE(store.Sync());
    EXPECT_NE(InodeOf(file), inode);
    EXPECT_TRUE(Contains(ReadBytes(file), "CommsTimeOut=5")) << ReadBytes(file);
}

TEST(QtSettings, FilesThatAreNoRegularFilesAreNeverOpenedAndStayAsTheyWere) {
    TempFolder folder;
    const fs::path fifo = folder.path() / "fifo.conf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(folder.path() / "folder.conf");
    fs::create_symlink("/dev/null", folder.path() / "device.conf");
    fs::create_symlink(fifo, folder.path() / "to-fifo.conf");
    fs::create_symlink("loop.conf", folder.path() / "loop.conf");
    const struct {
        const char* name;
        const char* says;
    } cases[] = {{"fifo.conf", "it is a named pipe (FIFO), not a regular file"},
                 {"folder.conf", "it is a folder, not a regular file"},
                 {"device.conf", "a symbolic link to /dev/null, a device, not a regular file"},
                 {"to-fifo.conf", "a named pipe (FIFO), not a regular file"},
                 {"loop.conf", "a symbolic link that cannot be followed"}};
    for (const auto& c : cases) {
        const std::string path = folder / c.name;
        QtSettings store(QString::fromStdString(path));  // would hang on reading the FIFO
        EXPECT_FALSE(store.Usable()) << c.name;
        EXPECT_TRUE(Contains(store.Problem(), path + ": ")) << store.Problem();
        EXPECT_TRUE(Contains(store.Problem(), c.says)) << store.Problem();

        // Values live in memory for the run; nothing is saved.
        EXPECT_EQ(store.GetInt("Settings", "Baud Rate", 7), 7);
        EXPECT_TRUE(store.Sync()) << "nothing was changed yet";
        store.WriteInt("Settings", "Baud Rate", 2);
        EXPECT_EQ(store.GetInt("Settings", "Baud Rate", 7), 2);
        EXPECT_FALSE(store.Sync());
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_directory(folder.path() / "folder.conf"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_symlink(folder.path() / "device.conf"));
}

TEST(QtSettings, StoresThroughTwoLinksToOneFileEachSaveOnlyTheirOwnChanges) {
    TempFolder folder;
    WriteBytes(folder.path() / "kept.conf", "[Settings]\nPort=ttyS0\nBaud%20Rate=0\n");
    const fs::path link = folder.path() / "VantrelUtilities.conf";
    fs::create_symlink("kept.conf", link);
    fs::create_directory(folder.path() / "other");
    fs::create_symlink(link, folder.path() / "other" / "VantrelUtilities.conf");
    QtSettings one(QString::fromStdString(link.string()));
    QtSettings two(QString::fromStdString(folder / "other/VantrelUtilities.conf"));
    ASSERT_TRUE(one.Usable()) << one.Problem();
    EXPECT_EQ(one.GetString("Settings", "Port", ""), "ttyS0");

    // Both read the file before either saves; the second save keeps the first one's value.
    one.WriteString("Settings", "Port", "ttyUSB1");
    two.WriteInt("Settings", "Baud Rate", 2);
    EXPECT_TRUE(one.Sync()) << one.Problem();
    EXPECT_TRUE(two.Sync()) << two.Problem();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(folder.path() / "kept.conf"), "[Settings]\nBaud%20Rate=2\nPort=ttyUSB1\n");
    EXPECT_EQ(two.GetString("Settings", "Port", ""), "ttyUSB1") << "read again at the save";
}

TEST(QtSettings, AFileASaveWouldMakeLoseALineIsReadAndLeftAsItIs) {
    const struct {
        const char* text;
        const char* says;  // empty: the file is saved
    } cases[] = {
        {"hello world\n[Settings]\nPort=ttyS0\n", "line 1 (\"hello world\") is not a setting"},
        {"[Settings]\nPort=ttyS0\n{\"port\": 1}\n", "line 3 (\"{\"port\": 1}\") is not a setting"},
        {"[Settings\nPort=ttyS0\n", "line 1 (\"[Settings\") is not a setting"},
        {"; laptop\n[Settings]\nPort=ttyS0\n", "line 1 (\"; laptop\") is a comment, which"},
        {"[Settings]\n# Port=ttyS1\nPort=ttyS0\n", "line 2 (\"# Port=ttyS1\") is a comment"},
        {"[Settings]\nPort=ttyS0 ; laptop\n", "line 2 (\"Port=ttyS0 ; laptop\") ends in a comment"},
        {"[Settings]\n\nPort=ttyS0\n", "line 2 is blank, and a save would drop it"},
        {"[Settings]\nPort=ttyS0\n\n\n", "line 3 is blank"},
        {"[Settings]\nPort=ttyS1\nPort=ttyS0\n", "line 2 (\"Port=ttyS1\") is set again on line 3"},
        {"[Settings]\nPort=ttyS0\n[StartUp]\nA=1\n[Settings]\nB=2\n",
         "line 5 (\"[Settings]\") names a section again"},
        {"[Settings]\nNote=\"two\nlines\"\n", "a save would not keep line 2"},
        // What QSettings writes back as it was, or spells anew without losing anything.
        {"[Settings]\r\nPort=ttyS0\r\n\r\n[StartUp]\r\nA=1\r\n", ""},
        {"Top=1\n[Settings]\nPort=ttyS0\n[StartUp]\nA=1\n", ""},
        {"[Settings]\nPort = ttyS0\nDefault Path=\"/a;b\"\n", ""},
        {"\n", ""},
    };
    TempFolder folder;
    const fs::path file = folder.path() / "v.conf";
    const std::string name = file.string();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteBytes(file, c.text);
        const ino_t inode = InodeOf(file);
        QtSettings store(QString::fromStdString(name));
        ASSERT_TRUE(store.Usable()) << store.Problem();
        // What could be read is used.
        if (Contains(c.text, "ttyS0\n") || Contains(c.text, "ttyS0\r")) {
            EXPECT_EQ(store.GetString("Settings", "Port", ""), "ttyS0");
        }
        store.WriteString("Settings", "Baud Rate", "2");
        if (*c.says == '\0') {
            EXPECT_EQ(store.LeftAsItIs(), "");
            EXPECT_TRUE(store.Sync()) << store.Problem();
            EXPECT_EQ(QtSettings(QString::fromStdString(name)).GetInt("Settings", "Baud Rate", 0),
                      2);
            continue;
        }
        EXPECT_TRUE(Contains(store.LeftAsItIsNotice(),
                             "the settings file " + name + " is left as it is, because " + c.says))
            << store.LeftAsItIsNotice();
        EXPECT_FALSE(store.Sync());
        EXPECT_TRUE(Contains(store.Problem(), name + ": it is left as it is, because " + c.says))
            << store.Problem();
        EXPECT_EQ(store.GetInt("Settings", "Baud Rate", 0), 2) << "kept for this run";
        EXPECT_FALSE(store.Sync()) << "refused until the file is mended";
        EXPECT_EQ(ReadBytes(file), c.text);
        EXPECT_EQ(InodeOf(file), inode);
        WriteBytes(file, "[Settings]\nPort=ttyS0\n");
        EXPECT_TRUE(store.Sync()) << store.Problem();
        EXPECT_EQ(ReadBytes(file), "[Settings]\nBaud%20Rate=2\nPort=ttyS0\n");
    }
}

TEST(QtSettings, ASaveKeepsTheFilesOwnerGroupAndModeAndWritesNoReadOnlyFile) {
    TempFolder folder;
    const fs::path file = folder.path() / "v.conf";
    WriteBytes(file, "[Settings]\nPort=ttyS0\n");
    const bool root = ::geteuid() == 0;
    // As root (sudo with the user's home), the file of the user stays the user's.
    if (root) {
        ASSERT_EQ(::chown(file.c_str(), 1234, 1234), 0);
    }
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    QtSettings store(QString::fromStdString(file.string()));
    store.WriteString("Settings", "Port", "ttyS1");
    EXPECT_TRUE(store.Sync()) << store.Problem();
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(info.st_uid, 1234u);
        EXPECT_EQ(info.st_gid, 1234u);
    }

    // A file its owner may not write is not written, by root neither.
    ASSERT_EQ(::chmod(file.c_str(), 0440), 0);
    store.WriteString("Settings", "Port", "ttyS2");
    EXPECT_FALSE(store.Sync());
    EXPECT_EQ(store.Problem(), file.string() + ": it is read-only");
    EXPECT_EQ(ReadBytes(file), "[Settings]\nPort=ttyS1\n");
}

TEST(QtSettings, ASaveThatFailsNamesTheFileAndTheReasonAndCanBeTriedAgain) {
    TempFolder folder;
    WriteBytes(folder.path() / "Ortvel", "a file where the folder should be");
    const std::string file = (folder.path() / "Ortvel" / "VantrelUtilities.conf").string();
    QtSettings store(QString::fromStdString(file));
    store.WriteString("Settings", "Port", "ttyUSB0");
    EXPECT_FALSE(store.Sync());
    EXPECT_EQ(store.Problem(), file + ": Not a directory");
    EXPECT_EQ(store.GetString("Settings", "Port", ""), "ttyUSB0") << "kept for this run";

    fs::remove(folder.path() / "Ortvel");
    fs::create_directory(folder.path() / "Ortvel");
    store.WriteString("Settings", "Port", "ttyUSB1");
    EXPECT_TRUE(store.Sync()) << store.Problem();
    EXPECT_EQ(store.Problem(), "");
    EXPECT_TRUE(Contains(ReadBytes(file), "Port=ttyUSB1"));
}

TEST(QtSettings, AFullOrReadOnlyFileSystemIsTheReasonGiven) {
    TempFolder folder;
    const fs::path mounted = folder.path() / "small";
    fs::create_directory(mounted);
    if (::mount("tmpfs", mounted.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "mounting a small file system needs the right to mount (root)";
    }
    struct Unmount {
        fs::path folder;
        ~Unmount() { ::umount(folder.c_str()); }
    } unmount{mounted};
    const std::string file = (mounted / "VantrelUtilities.conf").string();
    {
        QtSettings store(QString::fromStdString(file));
        store.WriteString("Settings", "Port", "ttyS0");
        EXPECT_TRUE(store.Sync());
        std::ofstream(mounted / "filler") << std::string(128 * 1024, 'x');  // cut at the limit
        store.WriteString("Settings", "Default Path", std::string(8192, 'p'));
        EXPECT_FALSE(store.Sync());
        EXPECT_EQ(store.Problem(), file + ": No space left on device");
        EXPECT_EQ(ReadBytes(file), "[Settings]\nPort=ttyS0\n") << "the old file stays whole";
        fs::remove(mounted / "filler");
        EXPECT_TRUE(store.Sync()) << store.Problem();
    }
    ASSERT_EQ(::mount("tmpfs", mounted.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
    {
        QtSettings store(QString::fromStdString(file));
        ASSERT_TRUE(store.Usable()) << store.Problem();
        store.WriteString("Settings", "Port", "ttyS0");  // the same value: nothing to save
        EXPECT_TRUE(store.Sync());
        store.WriteString("Settings", "Port", "ttyS1");
        EXPECT_FALSE(store.Sync());
        EXPECT_EQ(store.Problem(), file + ": Read-only file system");
    }
}

TEST(QtSettings, TheUsersFileIsWhereQSettingsKeepsIt) {
    TempFolder folder;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
    const QString expected = QSettings("Ortvel", "VantrelUtilities").fileName();
    const QtSettings store;
    saved ? setenv("XDG_CONFIG_HOME", saved->c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(store.FileName(), expected);
    EXPECT_EQ(store.FileName().toStdString(), folder / "Ortvel/VantrelUtilities.conf");
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
