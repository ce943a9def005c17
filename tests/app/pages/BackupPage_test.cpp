// SPDX-License-Identifier: GPL-3.0-or-later
// The Backup page against the simulator's engine in-process: the name as it ends up in the
// name box, what is refused before anything connects, the link notifications on the
// status group, cancelling from the button, and what a finished backup tells the
// Restore / Export page.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cerrno>
#include <fstream>
#include <memory>

#include "app/GuiFixture.h"
#include "app/common/Strings.h"
#include "app/pages/BackupPage.h"
#include "app/pages/ConnectionStatus.h"
#include "app/pages/RestoreExportPage.h"
#include "data/DateTime.h"
#include "data/VantrelArchive.h"
#include "ops/AppSettings.h"
#include "ops/BackupNaming.h"
#include "sample/SampleImage.h"
#include "sim/InProcessLoggerPort.h"
#include "sim/LoggerEngine.h"

namespace vantrel::app::test {
namespace {

namespace fs = std::filesystem;

// A small sample logger: one profile, both soil tables, the device file, ID files.
sim::LoggerFileSystem SampleLogger(bool withUserSoil = true) {
    sim::LoggerFileSystem files;
    for (const sample::LoggerFile& file :
         sample::MakeSampleImage({.profiles = 1, .readings = 6, .sensors = 2, .seed = 5})) {
        if (!withUserSoil && file.name == "USERSOIL.CFG01") continue;
        files.Put(file.name, file.bytes, sim::CivilTime{2026, 12, 6, 9, 0, 0});
    }
    return files;
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class BackupPageTest : public GuiTest {
protected:
    // The sheet goes before the logger it talks to.
    ~BackupPageTest() override { sheet_.reset(); }

    void Start(sim::LoggerFileSystem files = SampleLogger()) {
        sheet_.reset();
        logger_ = std::make_unique<sim::LoggerEngine>(std::move(files));
        MakeSheet(false, sim::InProcessPortFactory(*logger_));
        page_ = sheet().BackupPage();
        name_ = Find<QLineEdit>(page_, "backupName");
        button_ = Find<QPushButton>(page_, "backupButton");
        status_ = Find<CConnectionStatus>(page_, "connectionStatus");
    }
    void BackUp(const QString& typed) {
        name_->setText(typed);
        QTest::mouseClick(button_, Qt::LeftButton);
        QApplication::processEvents();  // what the backup posted last
    }
    QString Label(const char* name) const { return Find<QLabel>(page_, name)->text(); }
    int Bar() const { return Find<QProgressBar>(page_, "progressBar")->value(); }
    void Notify(const Notification& notification) { page_->OnNotification(notification); }

    std::unique_ptr<sim::LoggerEngine> logger_;
    CBackupPage* page_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPushButton* button_ = nullptr;
    CConnectionStatus* status_ = nullptr;
};

TEST_F(BackupPageTest, ShowsTodaysDefaultNameOnceAndTheFolderOnEveryActivation) {
    const std::string before = DefaultBackupName(CurrentLocalTime());
    Start();
    const std::string after = DefaultBackupName(CurrentLocalTime());
    const std::string shown = name_->text().toStdString();
    EXPECT_TRUE(shown == before || shown == after) << shown;
    EXPECT_EQ(Label("backupPath").toStdString(), BackupFolder().string());
    EXPECT_EQ(button_->text(), "B&ackup");
    EXPECT_EQ(Label("statusLine"), "Idle");

    // A typed name survives leaving the page; the folder is read again on return.
    name_->setText("Typed");
    const fs::path other = folder_.path() / "elsewhere";
    WriteBackupFolder(settings_, other.string());
    ASSERT_TRUE(sheet().SetActivePage(sheet().RestoreExportPage()));
    ASSERT_TRUE(sheet().SetActivePage(page_));
    EXPECT_EQ(name_->text(), "Typed");
    EXPECT_EQ(Label("backupPath").toStdString(), other.string());
}

TEST_F(BackupPageTest, TheNameBoxShowsTheExtensionAndTheNumberOfTheFileWritten) {
    Start();
    BackUp("Field trip");
    EXPECT_EQ(name_->text(), "Field trip.vbk");
    EXPECT_TRUE(fs::is_regular_file(BackupFolder() / "Field trip.vbk"));
    EXPECT_TRUE(prompt_.shown().empty()) << prompt_.Texts().front();

    BackUp("A.vbk");
    BackUp("A.vbk");
    EXPECT_EQ(name_->text(), "A(1).vbk");
    BackUp(name_->text());
    EXPECT_EQ(name_->text(), "A(2).vbk");
    BackUp("A.VBK");  // the extension is kept as typed, and the numbering found again
    EXPECT_EQ(name_->text(), "A(3).vbk");
    EXPECT_EQ(
        FolderEntries(BackupFolder()),
        (std::vector<std::string>{"A(1).vbk", "A(2).vbk", "A(3).vbk", "A.vbk", "Field trip.vbk"}));
    // Each is a whole backup of the logger.
    const CVantrelArchive archive = CVantrelArchive::LoadFromFile(BackupFolder() / "A(2).vbk");
    EXPECT_EQ(archive.GetProfileCount(), 1);
    EXPECT_TRUE(
        Label("statusLine").startsWith("Backup completed (8 files).  Elapsed Time: 00:00:0"))
        << Label("statusLine").toStdString();
    EXPECT_EQ(button_->text(), "B&ackup");
    EXPECT_FALSE(page_->IsBusy());
}

TEST_F(BackupPageTest, AnEmptyOrBlankNameIsRefusedAndTheNameBoxGetsTheFocus) {
    Start();
    sheet().activateWindow();
    for (const QString& typed : {QString(), QString("   ")}) {
        prompt_.Clear();
        button_->setFocus();
        BackUp(typed);
        EXPECT_EQ(prompt_.Texts(),
                  std::vector<std::string>{"Please enter a filename to backup the vantrel to"});
        EXPECT_TRUE(name_->hasFocus());
    }
    EXPECT_EQ(Label("statusLine"), "Idle");  // nothing connected
    EXPECT_TRUE(FolderEntries(BackupFolder()).empty());
}

TEST_F(BackupPageTest, ANameWithAFolderOrAMissingBackupFolderIsRefusedBeforeConnecting) {
    Start();
    BackUp("../outside");
    ASSERT_EQ(prompt_.shown().size(), 1u);
    EXPECT_NE(prompt_.shown()[0].text.find("without \"/\""), std::string::npos);
    EXPECT_FALSE(fs::exists(folder_.path() / "outside.vbk"));

    prompt_.Clear();
    const fs::path missing = folder_.path() / "gone";
    WriteBackupFolder(settings_, missing.string());
    BackUp("Field trip");
    ASSERT_EQ(prompt_.shown().size(), 1u);
    EXPECT_NE(prompt_.shown()[0].text.find(missing.string()), std::string::npos);
    EXPECT_EQ(Label("backupPath").toStdString(), missing.string());

    prompt_.Clear();
    const fs::path plainFile = folder_.path() / "a file";
    std::ofstream(plainFile) << "not a folder";
    WriteBackupFolder(settings_, plainFile.string());
    BackUp("Field trip");
    EXPECT_EQ(prompt_.shown().size(), 1u);

    EXPECT_EQ(Label("statusLine"), "Idle");
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(name_->text(), "Field trip");  // nothing resolved
}

TEST_F(BackupPageTest, StatusNotificationsChangeTextAndBarIndependently) {
    Start();
    Notify(Notification::Status(40, std::string("Retrieving PRO01.DAT00")));
    EXPECT_EQ(Label("statusLine"), "Retrieving PRO01.DAT00");
    EXPECT_EQ(Bar(), 40);
    Notify(Notification::Status(kKeepProgress, std::string("Attempting to re-send")));
    EXPECT_EQ(Label("statusLine"), "Attempting to re-send");
    EXPECT_EQ(Bar(), 40);  // 0xFFFF leaves the bar alone
    Notify(Notification::Status(75, std::nullopt));
    EXPECT_EQ(Label("statusLine"), "Attempting to re-send");  // no text leaves the text
    EXPECT_EQ(Bar(), 75);
    Notify(Notification::Status(10, std::string("Attempting to re-send")));
    EXPECT_EQ(Bar(), 10);  // the same text still moves the bar

    Notify(Notification::Errors(3));
    Notify(Notification::Rate(12345678));
    EXPECT_EQ(Label("transferErrors"), "Transfer Errors: 3");
    EXPECT_EQ(Label("transferRate"), "Transfer Rate [cps]: 12345678");
}

TEST_F(BackupPageTest, CancelDuringTheDownloadStopsItAndTheNextBackupRuns) {
    Start();
    QStringList seen;
    QStringList titles;
    bool cancelled = false;
    QObject::connect(status_, &CConnectionStatus::progressChanged, page_, [&] {
        seen << Label("statusLine");
        titles << sheet().windowTitle();
        if (!cancelled && Label("statusLine").startsWith("Retrieving PRO")) {
            cancelled = true;
            EXPECT_EQ(button_->text(), "C&ancel");
            EXPECT_TRUE(page_->IsBusy());
            QTest::mouseClick(button_, Qt::LeftButton);  // the same button, now Cancel
        }
    });
    BackUp("Interrupted");
    ASSERT_TRUE(cancelled) << seen.join(" | ").toStdString();
    QApplication::processEvents();
    EXPECT_EQ(Label("statusLine"), "ABORTED..Unable to retrieve file");
    EXPECT_TRUE(FolderEntries(BackupFolder()).empty());
    EXPECT_EQ(button_->text(), "B&ackup");
    EXPECT_FALSE(page_->IsBusy());
    EXPECT_FALSE(sheet().IsCancelled());
    EXPECT_EQ(sheet().windowTitle(), "Vantrel Utilities");
    // The progress reached the window title while the backup ran.
    EXPECT_TRUE(titles.filter(QRegularExpression("^[0-9]+% Backup - Vantrel Utilities$")).size() >
                0)
        << titles.join(" | ").toStdString();

    cancelled = true;  // no second cancel
    BackUp("Interrupted");
    EXPECT_EQ(FolderEntries(BackupFolder()), std::vector<std::string>{"Interrupted.vbk"});
}

TEST_F(BackupPageTest, OnlyAFinishedBackupAsksTheRestorePageToReadItsListAgain) {
    Start(SampleLogger(/*withUserSoil=*/false));
    ASSERT_TRUE(sheet().SetActivePage(sheet().RestoreExportPage()));  // reads the list
    ASSERT_TRUE(sheet().SetActivePage(page_));
    ASSERT_FALSE(sheet().RestoreExportPage()->NeedsRefresh());

    BackUp("No user soil");
    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{"User Soil File missing - Aborted"});
    EXPECT_FALSE(sheet().RestoreExportPage()->NeedsRefresh());
    EXPECT_TRUE(FolderEntries(BackupFolder()).empty());

    Start();
    ASSERT_TRUE(sheet().SetActivePage(sheet().RestoreExportPage()));
    ASSERT_TRUE(sheet().SetActivePage(page_));
    ASSERT_FALSE(sheet().RestoreExportPage()->NeedsRefresh());
    BackUp("Complete");
    EXPECT_TRUE(sheet().RestoreExportPage()->NeedsRefresh());
}

TEST_F(BackupPageTest, APortThatCannotBeOpenedIsExplainedAfterTheOperationsOwnBox) {
    MakeSheet(false, [](const PortRequest&, PortOpenFailure& failure) {
        failure = PortOpenFailure{PortOpenError::AccessDenied, "/dev/ttyUSB0", "dialout", EACCES};
        return std::unique_ptr<ISerialPort>();
    });
    page_ = sheet().BackupPage();
    Find<QLineEdit>(page_, "backupName")->setText("No port");
    QTest::mouseClick(Find<QPushButton>(page_, "backupButton"), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(prompt_.shown().size(), 2u);
    EXPECT_EQ(prompt_.shown()[0].caption, "Error opening port");
    EXPECT_EQ(prompt_.shown()[1].icon, PromptIcon::Information);
    EXPECT_NE(prompt_.shown()[1].text.find("sudo adduser $USER dialout"), std::string::npos)
        << prompt_.shown()[1].text;
    EXPECT_EQ(Find<QLabel>(page_, "statusLine")->text(), "Failed to open port");
    EXPECT_EQ(Find<QPushButton>(page_, "backupButton")->text(), "B&ackup");
}

}  // namespace
}  // namespace vantrel::app::test
