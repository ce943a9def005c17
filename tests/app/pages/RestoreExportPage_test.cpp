// SPDX-License-Identifier: GPL-3.0-or-later
// The Restore / Export page: the backup list and when it is read again, renaming and
// deleting a backup, the restore button (against the simulator's engine in-process), and
// the context menu and keys that reach the page's commands.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>

#include "app/GuiFixture.h"
#include "app/common/ListCtrlEx.h"
#include "app/common/Strings.h"
#include "app/pages/ConnectionStatus.h"
#include "app/pages/RestoreExportPage.h"
#include "app/readings/ReadingsWindow.h"
#include "base/PathText.h"
#include "chart/ReadingsChart.h"
#include "ops/AppSettings.h"
#include "ops/BackupFolder.h"
#include "ops/TestArchives.h"
#include "sim/InProcessLoggerPort.h"
#include "sim/LoggerEngine.h"

// Readable QString values in the failure messages.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace vantrel::app::test {
namespace {

namespace fs = std::filesystem;

const DateTimeValue kFrom = FromCivil({2009, 3, 5, 14, 30, 0});
const DateTimeValue kTo = FromCivil({2009, 4, 26, 8, 0, 0});
const DateTimeValue kTaken = FromCivil({2010, 1, 2, 10, 15, 0});

// A backup of `profiles` profiles (each with a configuration and a data file), both soil
// tables and one other file.
CVantrelArchive MakeBackup(int profiles) {
    CVantrelArchive archive;
    archive.m_dtFrom = kFrom;
    archive.m_dtTo = kTo;
    archive.m_dtBackup = kTaken;
    archive.m_strUserSoil = "555345";    // "USE"
    archive.m_strOrtvelSoil = "4F5254";  // "ORT"
    archive.m_strDeviceConfig = "424B";  // "BK": never written to the logger
    for (int i = 0; i < profiles; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%02d", i + 3);
        archive.AddProfile(number, "44415441", "43464721");  // "DATA", "CFG!"
    }
    archive.m_astrOtherNames = {"NOTES.TXT"};
    archive.m_astrOtherFiles = {"4E4F544553"};  // "NOTES"
    return archive;
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    ASSERT_TRUE(out) << file;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Waits, dispatching events, until `done` holds; false after `ms` milliseconds.
bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class RestoreExportPageTest : public GuiTest {
protected:
    fs::path AddBackup(const std::string& name, int profiles = 1) {
        const fs::path file = BackupFolder() / name;
        MakeBackup(profiles).SaveToFile(file);
        return file;
    }
    // The sheet with the Restore / Export page shown.
    CRestoreExportPage& ShowPage(SerialPortFactory ports = DefaultSerialPortFactory()) {
        MakeSheet(false, std::move(ports));
        return ShowAgain();
    }
    // Leaves the page for the Backup page and comes back: a second activation.
    CRestoreExportPage& ShowAgain() {
        CRestoreExportPage* page = sheet().RestoreExportPage();
        if (sheet().ActivePage() == page) sheet().SetActivePage(sheet().Pages()[0]);
        EXPECT_TRUE(sheet().SetActivePage(page));
        return *page;
    }
    // The page's own widgets (the Backup page has a connection status group too).
    CListCtrlEx& List() { return *Find<CListCtrlEx>(sheet().RestoreExportPage(), "backupList"); }
    QPushButton& Button(const char* name) {
        return *Find<QPushButton>(sheet().RestoreExportPage(), name);
    }
    CConnectionStatus* Status() {
        return Find<CConnectionStatus>(sheet().RestoreExportPage(), "connectionStatus");
    }
    QLabel* Line(const char* name) { return Find<QLabel>(sheet().RestoreExportPage(), name); }
    QStringList Titles() {
        QStringList titles;
        for (int row = 0; row < List().RowCount(); ++row) titles << List().ItemText(row, 0);
        return titles;
    }
    int RowOf(const QString& title) { return static_cast<int>(Titles().indexOf(title)); }
    void Select(const QString& title) {
        const int row = RowOf(title);
        ASSERT_GE(row, 0) << title.toStdString();
        List().setCurrentItem(List().topLevelItem(row));
    }
    QLineEdit* RenameEditor() { return List().findChild<QLineEdit*>("renameEditor"); }
    // Renames the selected row by typing `text` into its editor and pressing Enter.
    void TypeNewTitle(const QString& text) {
        ASSERT_TRUE(WaitFor([this] { return RenameEditor() != nullptr; }));
        QLineEdit* editor = RenameEditor();
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();  // the rename runs once the editor has closed
        QApplication::processEvents();
    }
    std::vector<std::string> Files() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(BackupFolder()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

using Strings = std::vector<std::string>;

TEST_F(RestoreExportPageTest, ListsEachBackupByTitleInOrderWithDatesCountAndItsOwnFile) {
    AddBackup("b.vbk", 2);
    AddBackup("b .vbk", 2);
    AddBackup("a.b.VBK", 0);
    AddBackup("Zed.Vbk", 1);
    WriteBytes(BackupFolder() / "notes.txt", "not a backup");
    ShowPage();

    CListCtrlEx& list = List();
    ASSERT_EQ(list.ColumnCount(), 5);
    const QStringList columns = QString(strings::kBackupListColumns).split(',');
    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(list.headerItem()->text(column), columns[column]);
    EXPECT_EQ(Titles(), (QStringList{"a.b", "b", "b ", "Zed"}));
    // The blank that ends a title is shown; the row keeps the title, and its own file.
    const auto* shown = qobject_cast<QStyledItemDelegate*>(list.itemDelegateForColumn(0));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->displayText(list.ItemText(RowOf("b "), 0), QLocale()), "b\u2423");
    EXPECT_EQ(shown->displayText(list.ItemText(RowOf("b"), 0), QLocale()), "b");
    EXPECT_EQ(sheet().RestoreExportPage()->RowFile(RowOf("b ")), BackupFolder() / "b .vbk");
    const int b = RowOf("b");
    EXPECT_EQ(list.ItemText(b, 1), CListCtrlEx::ShortDateText(kFrom));
    EXPECT_EQ(list.ItemText(b, 2), CListCtrlEx::ShortDateText(kTo));
    EXPECT_EQ(list.ItemText(b, 3), "2");
    EXPECT_EQ(list.ItemText(b, 4), CListCtrlEx::ShortDateText(kTaken));
    EXPECT_FALSE(list.ItemText(b, 4).isEmpty());
    EXPECT_EQ(list.ItemText(RowOf("a.b"), 3), "0");
    // A backup without profiles has no reading period: empty cells, never day 0.
    CVantrelArchive empty = MakeBackup(0);
    empty.m_dtFrom = empty.m_dtTo = DateTimeValue{};
    empty.SaveToFile(BackupFolder() / "empty.vbk");
    list.SetColumns(strings::kBackupListColumns);
    sheet().RestoreExportPage()->RefreshList();
    EXPECT_EQ(list.ItemText(RowOf("empty"), 1), "");
    EXPECT_EQ(list.ItemText(RowOf("empty"), 2), "");
    EXPECT_FALSE(list.ItemText(RowOf("empty"), 4).isEmpty());
    EXPECT_EQ(sheet().RestoreExportPage()->RowFile(RowOf("Zed")), BackupFolder() / "Zed.Vbk");
    EXPECT_EQ(sheet().RestoreExportPage()->RowFile(RowOf("a.b")), BackupFolder() / "a.b.VBK");
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::ExtendedSelection);
    // No date is cut off, whatever the locale's short date looks like.
    const QFontMetrics metrics(list.font());
    for (int column = 1; column < 5; ++column) {
        EXPECT_GT(list.columnWidth(column), metrics.horizontalAdvance(list.ItemText(b, column)))
            << column;
    }
    EXPECT_TRUE(prompt_.Texts().empty());
}

TEST_F(RestoreExportPageTest, UnloadableBackupsAreListedByTitleAndPickingOneSaysSo) {
    AddBackup("good.vbk");
    WriteBytes(BackupFolder() / "truncated.vbk", "\x01\x02");
    fs::create_directory(BackupFolder() / "folder.vbk");  // no backup file: not listed
    // A regular file that opens but cannot be mapped (a kernel attribute), so loading it
    // fails as for a file that cannot be read, whoever runs the test.
    if (kPathSeparator != '/') GTEST_SKIP() << "needs a Linux kernel attribute file";
    fs::create_symlink("/sys/kernel/uevent_seqnum", BackupFolder() / "locked.vbk");
    ShowPage();
    EXPECT_EQ(Titles(), (QStringList{"good", "locked", "truncated"}));
    EXPECT_EQ(prompt_.Texts(), (Strings{"Could not open locked backup file for loading"}));
    auto& list = *Find<CListCtrlEx>(&sheet(), "backupList");
    EXPECT_EQ(list.ItemText(RowOf("truncated"), 1), "");
    // Acting on one says which and why, and starts nothing.
    list.setCurrentItem(list.topLevelItem(RowOf("truncated")));
    sheet().RestoreExportPage()->OnRestore();
    EXPECT_EQ(prompt_.Texts().back(), "Could not open truncated backup file for loading");
    EXPECT_FALSE(sheet().RestoreExportPage()->IsBusy());
}

TEST_F(RestoreExportPageTest, TheFolderIsFoundWithOrWithoutATrailingSeparator) {
    AddBackup("Site 3.VBK");
    WriteBackupFolder(settings_, BackupFolder().string() + "/");
    ShowPage();
    EXPECT_EQ(Titles(), (QStringList{"Site 3"}));
    EXPECT_EQ(Line("restorePath")->text(),
              QDir::toNativeSeparators(QString::fromStdString(BackupFolder().string() + "/")));

    WriteBackupFolder(settings_, BackupFolder().string());
    sheet().RestoreExportPage()->SetRefresh();
    ShowAgain();
    EXPECT_EQ(Titles(), (QStringList{"Site 3"}));
}

TEST_F(RestoreExportPageTest, AnEmptyOrMissingFolderGivesAnEmptyListAndNoMessage) {
    ShowPage();
    EXPECT_EQ(List().RowCount(), 0);
    EXPECT_EQ(List().ColumnCount(), 5);
    WriteBackupFolder(settings_, (folder_.path() / "no such folder").string());
    sheet().RestoreExportPage()->SetRefresh();
    ShowAgain();
    EXPECT_EQ(List().RowCount(), 0);
    EXPECT_TRUE(prompt_.Texts().empty());
}

TEST_F(RestoreExportPageTest, TheListIsReadAgainOnlyWhenAskedButTheFolderOnEveryActivation) {
    AddBackup("first.vbk");
    CRestoreExportPage& page = ShowPage();
    EXPECT_FALSE(page.NeedsRefresh());
    EXPECT_EQ(Titles(), (QStringList{"first"}));

    AddBackup("second.vbk");
    const fs::path other = folder_.path() / "other";
    fs::create_directories(other);
    WriteBackupFolder(settings_, other.string());
    ShowAgain();
    EXPECT_EQ(Titles(), (QStringList{"first"}));  // not read again
    EXPECT_EQ(Line("restorePath")->text(), QString::fromStdString(other.string()));

    WriteBackupFolder(settings_, BackupFolder().string());
    ShowAgain();
    QTest::mouseClick(&Button("refreshViewButton"), Qt::LeftButton);
    EXPECT_EQ(Titles(), (QStringList{"first", "second"}));

    AddBackup("third.vbk");
    page.SetRefresh();
    EXPECT_TRUE(page.NeedsRefresh());
    EXPECT_EQ(List().RowCount(), 2);  // not before the page is shown again
    ShowAgain();
    EXPECT_EQ(Titles(), (QStringList{"first", "second", "third"}));
    EXPECT_FALSE(page.NeedsRefresh());
}

TEST_F(RestoreExportPageTest, RenamingOntoAnotherBackupIsRefusedAndKeepsBothFiles) {
    AddBackup("alpha.vbk");
    AddBackup("beta.VBK");
    CRestoreExportPage& page = ShowPage();
    Select("alpha");
    page.OnRenameBackup();
    TypeNewTitle("beta");
    EXPECT_EQ(prompt_.Texts(), (Strings{"Could not rename file"}));
    EXPECT_EQ(Files(), (Strings{"alpha.vbk", "beta.VBK"}));
    EXPECT_EQ(Titles(), (QStringList{"alpha", "beta"}));
}

TEST_F(RestoreExportPageTest, RenamingRenamesTheFileAndItsRowAndDropsATypedExtension) {
    AddBackup("alpha.VBK");
    AddBackup("beta.vbk");
    CRestoreExportPage& page = ShowPage();
    Select("alpha");
    page.OnRenameBackup();
    ASSERT_TRUE(WaitFor([this] { return RenameEditor() != nullptr; }));
    EXPECT_EQ(RenameEditor()->text(), "alpha");
    TypeNewTitle("zulu.vbk");
    EXPECT_TRUE(prompt_.Texts().empty());
    EXPECT_EQ(Files(), (Strings{"beta.vbk", "zulu.VBK"}));
    EXPECT_EQ(Titles(), (QStringList{"beta", "zulu"}));
    EXPECT_EQ(List().SelectedRow(), RowOf("zulu"));
    // The row is no longer editable once its edit has ended.
    EXPECT_FALSE(List().topLevelItem(RowOf("zulu"))->flags() & Qt::ItemIsEditable);
}

TEST_F(RestoreExportPageTest, EscapeEndsARenameWithoutRenaming) {
    AddBackup("alpha.vbk");
    ShowPage();
    Select("alpha");
    List().setFocus();
    QTest::keyClick(&List(), Qt::Key_F2);
    ASSERT_TRUE(WaitFor([this] { return RenameEditor() != nullptr; }));
    QTest::keyClicks(RenameEditor(), "other");
    QTest::keyClick(RenameEditor(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(Files(), (Strings{"alpha.vbk"}));
    EXPECT_EQ(Titles(), (QStringList{"alpha"}));
    EXPECT_TRUE(prompt_.Texts().empty());
}

TEST_F(RestoreExportPageTest, TwoBackupsOfOneTitleAreEachRenamedAndDeletedAsTheirOwnFile) {
    if (SameFileName("Site.vbk", "Site.VBK")) {
        GTEST_SKIP() << "names that differ only in case name one file on this file system";
    }
    AddBackup("Site.vbk", 1);
    AddBackup("Site.VBK", 3);
    CRestoreExportPage& page = ShowPage();
    ASSERT_EQ(Titles(), (QStringList{"Site", "Site"}));
    int upper = page.RowFile(0) == BackupFolder() / "Site.VBK" ? 0 : 1;
    List().setCurrentItem(List().topLevelItem(upper));
    page.OnRenameBackup();
    TypeNewTitle("Upper");
    EXPECT_EQ(Files(), (Strings{"Site.vbk", "Upper.VBK"}));
    EXPECT_EQ(List().ItemText(RowOf("Upper"), 3), "3");

    fs::rename(BackupFolder() / "Upper.VBK", BackupFolder() / "Site.VBK");
    page.RefreshList();
    upper = page.RowFile(0) == BackupFolder() / "Site.VBK" ? 0 : 1;
    List().setCurrentItem(List().topLevelItem(upper));
    page.OnDeleteBackup();
    EXPECT_EQ(Files(), (Strings{"Site.vbk"}));
    ASSERT_EQ(List().RowCount(), 1);
    EXPECT_EQ(List().ItemText(0, 3), "1");
}

TEST_F(RestoreExportPageTest, DeleteAsksAndOnYesRemovesTheFileAndTheRow) {
    AddBackup("keep.vbk");
    AddBackup("old.vbk");
    CRestoreExportPage& page = ShowPage();
    page.OnDeleteBackup();
    EXPECT_EQ(prompt_.Texts(), (Strings{"Please select an backup file to delete"}));

    prompt_.Clear();
    Select("old");
    prompt_.ScriptAnswer(PromptAnswer::No);
    page.OnDeleteBackup();
    ASSERT_EQ(prompt_.shown().size(), 1u);
    EXPECT_EQ(prompt_.shown()[0].text, "Are you sure you want to delete this backup ?");
    EXPECT_EQ(prompt_.shown()[0].caption, "Delete Vantrel Backup");
    EXPECT_EQ(prompt_.shown()[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(Files(), (Strings{"keep.vbk", "old.vbk"}));
    EXPECT_EQ(Titles(), (QStringList{"keep", "old"}));

    Select("old");
    page.OnDeleteBackup();  // Yes
    EXPECT_EQ(Files(), (Strings{"keep.vbk"}));
    EXPECT_EQ(Titles(), (QStringList{"keep"}));
}

// A logger holding its own configuration and a stale file.
sim::LoggerFileSystem LoggerFiles() {
    sim::LoggerFileSystem files;
    files.Put("QUILON.CFG00", "the logger's own", {});
    files.Put("OLD.TXT", "stale", {});
    return files;
}

std::map<std::string, std::string> Contents(const sim::LoggerEngine& logger) {
    std::map<std::string, std::string> contents;
    for (const auto& [name, file] : logger.files().files()) contents[name] = file.bytes;
    return contents;
}

class RestoreButtonTest : public RestoreExportPageTest {
protected:
    RestoreButtonTest() {
        settings_.WriteString(settings::kSettings, settings::kPort, "ttyUSB0");
        settings_.WriteInt(settings::kSettings, settings::kBaudRate, 2);
    }
    CRestoreExportPage& ShowPageOnLogger() { return ShowPage(sim::InProcessPortFactory(logger_)); }
    void ExpectIdle(const CRestoreExportPage& page) {
        EXPECT_EQ(Button("restoreButton").text(), "R&estore");
        EXPECT_FALSE(page.IsBusy());
        EXPECT_FALSE(sheet().IsCancelled());
    }
    sim::LoggerEngine logger_{LoggerFiles()};
};

TEST_F(RestoreButtonTest, WithoutASelectionOrWithTheWarningRefusedNothingIsSent) {
    AddBackup("field.vbk");
    CRestoreExportPage& page = ShowPageOnLogger();
    const auto before = Contents(logger_);
    QTest::mouseClick(&Button("restoreButton"), Qt::LeftButton);
    EXPECT_EQ(prompt_.Texts(), (Strings{"Please select an backup file to restore"}));
    ExpectIdle(page);

    prompt_.Clear();
    Select("field");
    prompt_.ScriptAnswer(PromptAnswer::Cancel);
    QTest::mouseClick(&Button("restoreButton"), Qt::LeftButton);
    ASSERT_EQ(prompt_.shown().size(), 1u);
    EXPECT_EQ(prompt_.shown()[0].text,
              "Restoring this backup will overwrite all your current vantrel settings and "
              "data\nAre you certain you wish to restore this backup to the vantrel ?\n\n"
              "The vantrel will receive 5 files from this backup.");
    EXPECT_EQ(prompt_.shown()[0].caption, "Restore Warning");
    EXPECT_EQ(prompt_.shown()[0].buttons, PromptButtons::OKCancel);
    EXPECT_EQ(prompt_.shown()[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(Contents(logger_), before);
    EXPECT_EQ(Status()->StatusText(), "Idle");
    ExpectIdle(page);
}

TEST_F(RestoreButtonTest, ABackupThatCannotBeLoadedStopsTheRestoreWithItsMessage) {
    AddBackup("broken.vbk");
    AddBackup("gone.vbk");
    CRestoreExportPage& page = ShowPageOnLogger();
    ASSERT_EQ(Titles(), (QStringList{"broken", "gone"}));
    WriteBytes(BackupFolder() / "broken.vbk", "\x01\x02");  // spoilt after the list was read
    const auto before = Contents(logger_);

    Select("broken");
    QTest::mouseClick(&Button("restoreButton"), Qt::LeftButton);
    EXPECT_EQ(prompt_.Texts().back(), "Could not open backup. Exception thrown in stored data");
    ExpectIdle(page);

    // Removed after the list was read: the message, then the row goes.
    fs::remove(BackupFolder() / "gone.vbk");
    Select("gone");
    QTest::mouseClick(&Button("restoreButton"), Qt::LeftButton);
    EXPECT_EQ(prompt_.Texts().back(), "Could not open backup for loading");
    EXPECT_EQ(Titles(), QStringList{"broken"});  // still a backup file, though unloadable
    EXPECT_EQ(Contents(logger_), before);
    ExpectIdle(page);
}

TEST_F(RestoreButtonTest, ARestoreWritesTheBackupButKeepsTheLoggersConfiguration) {
    AddBackup("field.vbk", 2);
    CRestoreExportPage& page = ShowPageOnLogger();
    Select("field");
    QTest::mouseClick(&Button("restoreButton"), Qt::LeftButton);
    // The completion text is posted at the end and shown when it is delivered.
    EXPECT_TRUE(WaitFor([this] { return Status()->StatusText().startsWith("Restored"); }))
        << Status()->StatusText().toStdString();
    const std::map<std::string, std::string> expected = {{"QUILON.CFG00", "the logger's own"},
                                                         {"ORTVELSOIL.CFG01", "ORT"},
                                                         {"USERSOIL.CFG01", "USE"},
                                                         {"PRO03.CFG00", "CFG!"},
                                                         {"PRO03.DAT00", "DATA"},
                                                         {"PRO04.CFG00", "CFG!"},
                                                         {"PRO04.DAT00", "DATA"},
                                                         {"NOTES.TXT", "NOTES"}};
    EXPECT_EQ(Contents(logger_), expected);
    EXPECT_TRUE(Status()->StatusText().startsWith("Restored 7 files OK.  Elapsed Time: 00:00:0"));
    EXPECT_EQ(Line("transferErrors")->text(), "Transfer Errors: 0");
    ExpectIdle(page);
    EXPECT_EQ(sheet().windowTitle(), "Vantrel Utilities");
}

TEST_F(RestoreButtonTest, TheButtonReadsCancelWhileRestoringAndASecondClickStopsTheRestore) {
    AddBackup("field.vbk", 2);
    CRestoreExportPage& page = ShowPageOnLogger();
    Select("field");
    QString captionWhileBusy;
    bool busyWhileRunning = false;
    QTimer::singleShot(0, &page, [&] {
        captionWhileBusy = Button("restoreButton").text();
        busyWhileRunning = page.IsBusy();
        QTest::mouseClick(&Button("restoreButton"), Qt::LeftButton);
    });
    QTest::mouseClick(&Button("restoreButton"), Qt::LeftButton);
    EXPECT_EQ(captionWhileBusy, "Canc&el");
    EXPECT_TRUE(busyWhileRunning);
    EXPECT_FALSE(Status()->StatusText().startsWith("Restored"));
    EXPECT_EQ(Contents(logger_).count("NOTES.TXT"), 0u);
    ExpectIdle(page);
}

TEST_F(RestoreExportPageTest, APortThatCannotBeOpenedIsExplainedAfterItsMessage) {
    AddBackup("field.vbk");
    CRestoreExportPage& page = ShowPage([](const PortRequest&, PortOpenFailure& failure) {
        failure = PortOpenFailure{PortOpenError::AccessDenied, "/dev/ttyUSB7", "dialout", EACCES};
        return std::unique_ptr<ISerialPort>();
    });
    Select("field");
    QTest::mouseClick(&Button("restoreButton"), Qt::LeftButton);
    // The warning, the port message of the restore, then why the port did not open.
    ASSERT_EQ(prompt_.shown().size(), 3u);
    EXPECT_EQ(prompt_.shown()[1].caption, "Error opening port");
    EXPECT_EQ(prompt_.shown()[2].caption, "Error opening port");
    EXPECT_NE(prompt_.shown()[2].text.find("dialout"), std::string::npos)
        << prompt_.shown()[2].text;
    EXPECT_TRUE(WaitFor([this] { return Status()->StatusText() == "Failed to open port"; }));
    EXPECT_EQ(Button("restoreButton").text(), "R&estore");
    EXPECT_FALSE(page.IsBusy());
}

TEST_F(RestoreExportPageTest, StatusNotificationsChangeOnlyWhatTheyCarry) {
    CRestoreExportPage& page = ShowPage();
    CConnectionStatus* status = Status();
    page.OnNotification(Notification::Status(kKeepProgress, "Uploading PRO03.DAT00"));
    EXPECT_EQ(status->StatusText(), "Uploading PRO03.DAT00");
    EXPECT_EQ(status->Progress(), 0);
    page.OnNotification(Notification::Status(40, std::nullopt));
    EXPECT_EQ(status->StatusText(), "Uploading PRO03.DAT00");
    EXPECT_EQ(status->Progress(), 40);
    EXPECT_EQ(Line("transferErrors")->text(), "Transfer Errors:");
    page.OnNotification(Notification::Errors(3));
    page.OnNotification(Notification::Rate(960));
    EXPECT_EQ(Line("transferErrors")->text(), "Transfer Errors: 3");
    EXPECT_EQ(Line("transferRate")->text(), "Transfer Rate [cps]: 960");
}

// The texts of the context menu shown while `act` runs (empty when none is shown).
QStringList MenuShownBy(const std::function<void()>& act) {
    QStringList texts;
    QTimer::singleShot(50, [&texts] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions()) texts << action->text();
            menu->close();
        }
    });
    act();
    QTest::qWait(100);
    return texts;
}

TEST_F(RestoreExportPageTest, ARightClickOnARowOpensTheBackupMenuAndElsewhereNothing) {
    AddBackup("alpha.vbk");
    AddBackup("beta.vbk");
    ShowPage();
    QWidget* viewport = List().viewport();
    const QRect beta = List().visualItemRect(List().topLevelItem(RowOf("beta")));
    const QStringList shown = MenuShownBy([&] {
        QTest::mouseClick(viewport, Qt::RightButton, {}, beta.center());
        QContextMenuEvent event(QContextMenuEvent::Mouse, beta.center(),
                                viewport->mapToGlobal(beta.center()));
        QApplication::sendEvent(viewport, &event);
    });
    EXPECT_EQ(shown, (QStringList{"Export", "Rename", "Delete", "View Readings..."}));
    EXPECT_EQ(List().SelectedRow(), RowOf("beta"));

    const QPoint below(beta.center().x(), viewport->height() - 2);
    const QStringList none = MenuShownBy([&] {
        QContextMenuEvent event(QContextMenuEvent::Mouse, below, viewport->mapToGlobal(below));
        QApplication::sendEvent(viewport, &event);
    });
    EXPECT_TRUE(none.isEmpty());
}

TEST_F(RestoreExportPageTest, TheMenuCommandsReachTheirHandlers) {
    WriteBytes(BackupFolder() / "broken.vbk", "\x01\x02");
    AddBackup("alpha.vbk");
    ShowPage();
    auto* menu = Find<QMenu>(sheet().RestoreExportPage(), "backupMenu");
    ASSERT_EQ(menu->actions().size(), 4);
    EXPECT_EQ(menu->actions()[0]->data().toInt(), 32773);
    EXPECT_EQ(menu->actions()[1]->data().toInt(), 32774);
    EXPECT_EQ(menu->actions()[2]->data().toInt(), 32775);

    menu->actions()[0]->trigger();
    menu->actions()[2]->trigger();
    EXPECT_EQ(prompt_.Texts(), (Strings{"Please select an backup file to export",
                                        "Please select an backup file to delete"}));
    Select("alpha");
    menu->actions()[1]->trigger();
    EXPECT_TRUE(WaitFor([this] { return RenameEditor() != nullptr; }));
}

TEST_F(RestoreExportPageTest, ViewReadingsOpensTheReadingsWindowOnTheSelectedBackup) {
    AddBackup("alpha.vbk");
    ShowPage();
    Select("alpha");
    auto* menu = Find<QMenu>(sheet().RestoreExportPage(), "backupMenu");
    menu->actions()[3]->trigger();
    QWidget* window = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == "readingsWindow" && widget->isVisible()) window = widget;
        }
        return window != nullptr;
    }));
    if (window != nullptr) window->close();
}

TEST_F(RestoreExportPageTest, SeveralSelectedBackupsShowTheirReadingsTogetherAndNothingElse) {
    // Two visits of one site, ten hours each, the later one taken first by name.
    for (const auto& [name, firstHour] : {std::pair{"east.vbk", 10}, std::pair{"west.vbk", 0}}) {
        vantrel::test::TestProfile site;
        site.readings = vantrel::test::HourlyReadings(firstHour, 10);
        CVantrelArchive archive = vantrel::test::MakeArchive({site});
        archive.m_dtBackup = FromLoggerSeconds(vantrel::test::MarchFifthPlusHours(firstHour + 10));
        archive.SaveToFile(BackupFolder() / name);
    }
    CRestoreExportPage& page = ShowPage();
    QWidget* viewport = List().viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {},
                      List().visualItemRect(List().topLevelItem(RowOf("east"))).center());
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier,
                      List().visualItemRect(List().topLevelItem(RowOf("west"))).center());
    ASSERT_EQ(List().SelectedRows().size(), 2);

    // What acts on one backup is off, and says so when reached all the same.
    EXPECT_FALSE(Button("restoreButton").isEnabled());
    EXPECT_FALSE(Button("exportButton").isEnabled());
    auto* menu = Find<QMenu>(sheet().RestoreExportPage(), "backupMenu");
    EXPECT_FALSE(menu->actions()[2]->isEnabled());  // Delete
    page.OnExport();
    EXPECT_EQ(prompt_.Texts(),
              (Strings{"Several backups are selected. Select only the backup to export."}));

    menu->actions()[3]->trigger();  // View Readings...
    CReadingsWindow* window = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == "readingsWindow" && widget->isVisible())
                window = qobject_cast<CReadingsWindow*>(widget);
        }
        return window != nullptr;
    }));
    // In order of backup time: west's readings, then east's, one series of site 3.
    EXPECT_EQ(window->windowTitle(), "Readings - west to east");
    EXPECT_EQ(Find<QComboBox>(window, "profilePicker")->count(), 1);
    ASSERT_TRUE(window->IsShowingChart());
    EXPECT_EQ(window->Series().readings, 20);
    EXPECT_EQ(window->Chart()->Title(), "west to east: Profile 3");
    ASSERT_EQ(window->Chart()->Marks().size(), 1u);
    const chart::ReadingsChart::Mark& mark = window->Chart()->Marks()[0];
    EXPECT_EQ(mark.label, "east");
    const QPointF at = window->Chart()->MapToPosition(QPointF(
        mark.at, window->Chart()->ValueRange().min + window->Chart()->ValueRange().Span() / 2));
    EXPECT_TRUE(window->ToolTipAt(at.toPoint()).startsWith("east\n10 readings"))
        << window->ToolTipAt(at.toPoint()).toStdString();
    EXPECT_TRUE(Find<QLabel>(window, "readingsSummary")
                    ->text()
                    .contains("from 2 backups; no gaps; no disagreements"));
    window->close();

    // A single row again: everything as before.
    Select("east");
    EXPECT_TRUE(Button("restoreButton").isEnabled());
    EXPECT_TRUE(menu->actions()[2]->isEnabled());
}

TEST_F(RestoreExportPageTest, KeysAndADoubleClickReachTheCommandsOfTheSelectedRow) {
    AddBackup("alpha.vbk");
    CRestoreExportPage& page = ShowPage();
    // The row is unreadable by now, so an export stops at its loading message.
    WriteBytes(BackupFolder() / "alpha.vbk", "\x01\x02");
    Select("alpha");
    List().setFocus();
    const std::string badData = "Could not open backup. Exception thrown in stored data";
    QTest::keyClick(&List(), Qt::Key_Return);
    EXPECT_EQ(prompt_.Texts(), (Strings{badData}));
    QTest::keyClick(&List(), Qt::Key_Enter);
    EXPECT_EQ(prompt_.Texts().size(), 2u);
    const QRect alpha = List().visualItemRect(List().topLevelItem(0));
    QTest::mouseClick(List().viewport(), Qt::LeftButton, {}, alpha.center());  // the first click
    QTest::mouseDClick(List().viewport(), Qt::LeftButton, {}, alpha.center());
    EXPECT_EQ(prompt_.Texts(), (Strings{badData, badData, badData}));

    prompt_.Clear();
    prompt_.ScriptAnswer(PromptAnswer::No);
    QTest::keyClick(&List(), Qt::Key_Delete);
    EXPECT_EQ(prompt_.Texts(), (Strings{"Are you sure you want to delete this backup ?"}));
    QTest::keyClick(&List(), Qt::Key_F2);
    EXPECT_TRUE(WaitFor([this] { return RenameEditor() != nullptr; }));
    EXPECT_EQ(page.RowFile(0), BackupFolder() / "alpha.vbk");
}

}  // namespace
}  // namespace vantrel::app::test
