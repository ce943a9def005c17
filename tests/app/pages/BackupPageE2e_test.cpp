// SPDX-License-Identifier: GPL-3.0-or-later
// The Backup and ID Tags pages against vantrel-logger-sim on a pseudo-terminal, through the
// real serial port code, clicked as a user would: a backup from the click to the file on
// disk, a cancelled one, one over a faulty line, the rules that hold while one runs, and
// ID files listed and deleted on the logger.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

#include "app/GuiFixture.h"
#include "app/common/ListCtrlEx.h"
#include "app/common/Strings.h"
#include "app/pages/BackupPage.h"
#include "app/pages/ConnectionStatus.h"
#include "app/pages/FilePage.h"
#include "app/pages/RestoreExportPage.h"
#include "e2e/CliE2eSupport.h"
#include "ops/AppSettings.h"
#include "support/SimulatorProcess.h"

namespace vantrel::app::test {
namespace {

namespace fs = std::filesystem;
using e2e::CliWorkspace;
using vantrel::testing::SimulatorProcess;

// Every text the labels of a status group show while an operation runs, each change once,
// in order: sampled every millisecond and at every step of the progress bar (both happen
// inside the operation's waits). `onSample` runs after each sample, as a user watching.
class StatusWatcher {
public:
    explicit StatusWatcher(QWidget* page, std::function<void()> onSample = {})
        : status_(Find<QLabel>(page, "statusLine")),
          errors_(page->findChild<QLabel*>("transferErrors")),
          rate_(page->findChild<QLabel*>("transferRate")),
          onSample_(std::move(onSample)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Sample(); });
        QObject::connect(Find<CConnectionStatus>(page, "connectionStatus"),
                         &CConnectionStatus::progressChanged, &timer_, [this] { Sample(); });
        timer_.start(1);
    }

    QStringList statuses, errors, rates;

    bool SawStatus(const QString& text) const { return statuses.contains(text); }
    QString Seen() const {
        return statuses.join(" | ") + " // " + errors.join(" | ") + " // " + rates.join(" | ");
    }

private:
    static void Note(QStringList& seen, const QLabel* label) {
        if (label != nullptr && (seen.isEmpty() || seen.back() != label->text()))
            seen << label->text();
    }
    void Sample() {
        if (sampling_) return;  // what onSample does may sample again
        sampling_ = true;
        Note(statuses, status_);
        Note(errors, errors_);
        Note(rates, rate_);
        if (onSample_) onSample_();
        sampling_ = false;
    }

    QLabel* status_;
    QLabel* errors_;
    QLabel* rate_;
    std::function<void()> onSample_;
    QTimer timer_;
    bool sampling_ = false;
};

bool NoExcludes(std::string_view) {
    return false;
}

class BackupPageE2eTest : public GuiTest {
protected:
    static void SetUpTestSuite() {
        workspace_ = new CliWorkspace(
            {"--profiles", "3", "--readings", "40", "--sensors", "4", "--seed", "11"});
    }
    static void TearDownTestSuite() {
        delete workspace_;
        workspace_ = nullptr;
    }
    // The sheet lets go of the port before the simulator stops.
    ~BackupPageE2eTest() override { sheet_.reset(); }

    static CliWorkspace& ws() { return *workspace_; }

    // The simulator on the sample image with `options`, and a sheet set to its port.
    void Start(const std::vector<std::string>& options = {}) {
        std::vector<std::string> args = {"--image", ws().Image().string()};
        args.insert(args.end(), options.begin(), options.end());
        sim_ = std::make_unique<SimulatorProcess>(args);
        settings_.WriteString(settings::kSettings, settings::kPort, sim_->linkPath());
        MakeSheet(/*withIdTags=*/true);
        sheet().Session().operations().SetExcludes(NoExcludes);
        page_ = sheet().BackupPage();
        name_ = Find<QLineEdit>(page_, "backupName");
        button_ = Find<QPushButton>(page_, "backupButton");
    }
    void ClickBackup(const QString& name) {
        name_->setText(name);
        QTest::mouseClick(button_, Qt::LeftButton);
        QApplication::processEvents();  // what the backup posted last
    }
    QString Status() const { return Find<QLabel>(page_, "statusLine")->text(); }
    // Every entry of the backup folder, hidden ones included.
    std::vector<std::string> BackupFolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(BackupFolder())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    static CliWorkspace* workspace_;
    std::unique_ptr<SimulatorProcess> sim_;
    std::unique_ptr<SimulatorProcess> second_;
    CBackupPage* page_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPushButton* button_ = nullptr;
};
CliWorkspace* BackupPageE2eTest::workspace_ = nullptr;

TEST_F(BackupPageE2eTest, ABackupFromTheClickToTheFileWithItsProgressOnTheWay) {
    // Paced, so that the transfer rate is measured on the way.
    Start({"--baud", "38400"});
    ASSERT_TRUE(sheet().SetActivePage(sheet().RestoreExportPage()));  // reads its list
    ASSERT_TRUE(sheet().SetActivePage(page_));
    ASSERT_FALSE(sheet().RestoreExportPage()->NeedsRefresh());

    // The title shows the share of the whole backup, which never goes back; a name typed
    // meanwhile (the next site's) is kept.
    QList<int> titlePercents;
    QObject::connect(&sheet(), &QWidget::windowTitleChanged,
                     [&titlePercents](const QString& title) {
                         if (const qsizetype sign = title.indexOf("% Backup - "); sign > 0)
                             titlePercents << title.left(sign).toInt();
                     });
    bool typed = false;
    StatusWatcher watch(page_, [this, &typed] {
        if (!typed && Status() == "Retrieving USERSOIL.CFG01") {
            typed = true;
            name_->setText("Next site");
        }
    });
    ClickBackup("Field trip");
    EXPECT_EQ(name_->text(), "Next site");
    ASSERT_GE(titlePercents.size(), 5) << ::testing::PrintToString(titlePercents);
    EXPECT_TRUE(std::is_sorted(titlePercents.begin(), titlePercents.end()))
        << ::testing::PrintToString(titlePercents);
    EXPECT_GE(titlePercents.back(), 90) << ::testing::PrintToString(titlePercents);
    EXPECT_EQ(sheet().windowTitle(), "Vantrel Utilities");

    const fs::path written = BackupFolder() / "Field trip.vbk";
    ASSERT_TRUE(fs::is_regular_file(written)) << watch.Seen().toStdString();
    EXPECT_EQ(e2e::DifferenceButForTheDate(written, ws().PackedBackup()), "");
    EXPECT_EQ(BackupFolderEntries(), std::vector<std::string>{"Field trip.vbk"});
    EXPECT_TRUE(prompt_.shown().empty());

    EXPECT_TRUE(watch.SawStatus("Attempting to Connect")) << watch.Seen().toStdString();
    EXPECT_TRUE(watch.SawStatus("Retrieving PRO01.DAT00")) << watch.Seen().toStdString();
    EXPECT_TRUE(watch.SawStatus("Retrieving USERSOIL.CFG01")) << watch.Seen().toStdString();
    EXPECT_TRUE(Status().startsWith("Backup completed (12 files).  Elapsed Time: 00:00:"))
        << Status().toStdString();
    EXPECT_TRUE(watch.errors.contains("Transfer Errors: 0")) << watch.Seen().toStdString();
    ASSERT_FALSE(watch.rates.isEmpty());
    const QString rate = watch.rates.back();
    ASSERT_TRUE(rate.startsWith("Transfer Rate [cps]: ")) << rate.toStdString();
    // 38400 baud carry 3840 characters a second; the last rate measured is a steady one
    // (some slack for a late read of the line).
    const int cps = rate.mid(21).toInt();
    EXPECT_GT(cps, 1000) << watch.Seen().toStdString();
    EXPECT_LE(cps, 3840 * 5 / 4) << watch.Seen().toStdString();

    EXPECT_EQ(button_->text(), "B&ackup");
    EXPECT_FALSE(page_->IsBusy());
    EXPECT_TRUE(sheet().RestoreExportPage()->NeedsRefresh());
}

TEST_F(BackupPageE2eTest, CancelDuringAPacedBackupLeavesNoFileAndThePageStartsAgain) {
    Start({"--baud", "9600"});
    ASSERT_TRUE(sheet().SetActivePage(sheet().RestoreExportPage()));  // reads its list
    ASSERT_TRUE(sheet().SetActivePage(page_));
    bool cancelled = false;
    StatusWatcher watch(page_, [&] {
        if (!cancelled && Status().startsWith("Retrieving PRO")) {
            cancelled = true;
            EXPECT_EQ(button_->text(), "C&ancel");
            QTest::mouseClick(button_, Qt::LeftButton);
        }
    });
    const auto start = std::chrono::steady_clock::now();
    ClickBackup("Interrupted");
    ASSERT_TRUE(cancelled) << watch.Seen().toStdString();
    // The link stops at the logger's next answer, not after the whole download.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds{20});
    EXPECT_EQ(Status(), "ABORTED..Unable to retrieve file");
    EXPECT_TRUE(watch.SawStatus("Communications Closed")) << watch.Seen().toStdString();
    EXPECT_EQ(BackupFolderEntries(), std::vector<std::string>{});  // no temporary file either
    EXPECT_EQ(button_->text(), "B&ackup");
    EXPECT_FALSE(page_->IsBusy());
    EXPECT_FALSE(sheet().RestoreExportPage()->NeedsRefresh());

    // The logger answers again after the abandoned download.
    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    EXPECT_TRUE(sheet().ListFiles(page_, names, sizes));
    EXPECT_EQ(names.size(), 12u);

    // The page starts a whole new backup (from an unpaced logger with the same files, so
    // that it does not take a minute).
    second_ = std::make_unique<SimulatorProcess>(
        std::vector<std::string>{"--image", ws().Image().string()});
    settings_.WriteString(settings::kSettings, settings::kPort, second_->linkPath());
    ClickBackup("Interrupted");
    EXPECT_EQ(BackupFolderEntries(), std::vector<std::string>{"Interrupted.vbk"});
    EXPECT_EQ(e2e::DifferenceButForTheDate(BackupFolder() / "Interrupted.vbk", ws().PackedBackup()),
              "");
    EXPECT_TRUE(sheet().RestoreExportPage()->NeedsRefresh());
}

// A logger that holds off every answer: Cancel at any moment of its waits is a cancel, with
// no error counted, no connection advice and no box about a late answer.
TEST_F(BackupPageE2eTest, CancelWhileTheLoggerHoldsOffIsACancelAndNothingElse) {
    Start({"--holdoff-every", "1", "--holdoff-ms", "700"});
    for (const int afterMs : {300, 1100, 2500}) {
        StatusWatcher watch(page_);
        QTimer::singleShot(afterMs, button_,
                           [this] { QTest::mouseClick(button_, Qt::LeftButton); });
        ClickBackup("Held");
        EXPECT_TRUE(watch.SawStatus("Communications Closed"))
            << afterMs << ": " << watch.Seen().toStdString();
        EXPECT_FALSE(watch.Seen().contains("timed out"))
            << afterMs << ": " << watch.Seen().toStdString();
        EXPECT_EQ(watch.errors.filter(QRegularExpression("[1-9]")), QStringList{})
            << afterMs << ": " << watch.Seen().toStdString();
        EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{}) << afterMs;
        EXPECT_EQ(BackupFolderEntries(), std::vector<std::string>{}) << afterMs;
        ASSERT_FALSE(page_->IsBusy());
    }
}

TEST_F(BackupPageE2eTest, WhileABackupRunsThePageTheSheetAndTheLinkStayWithIt) {
    Start({"--baud", "9600"});
    auto* tabs = Find<QTabWidget>(&sheet(), "pages");
    QTabBar* bar = tabs->tabBar();
    bool tried = false;
    bool listed = true;
    std::chrono::steady_clock::duration listing{};
    std::vector<std::string> texts;
    StatusWatcher watch(page_, [&] {
        if (tried || !Status().startsWith("Retrieving PRO")) return;
        tried = true;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(3).center());
        EXPECT_FALSE(sheet().close());
        std::vector<std::string> names;
        std::vector<std::uint32_t> sizes;
        const auto before = std::chrono::steady_clock::now();
        listed = sheet().ListFiles(sheet().FilePage(), names, sizes);
        listing = std::chrono::steady_clock::now() - before;
        EXPECT_TRUE(names.empty());
        texts = prompt_.Texts();
        QTest::mouseClick(button_, Qt::LeftButton);  // Cancel
    });
    ClickBackup("Busy");
    ASSERT_TRUE(tried) << watch.Seen().toStdString();
    EXPECT_EQ(texts,
              (std::vector<std::string>{strings::kLeaveWhileBusy, strings::kCloseWhileBusy}));
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(sheet().ActivePage(), page_);
    EXPECT_TRUE(sheet().isVisible());
    EXPECT_FALSE(listed);
    EXPECT_LT(listing, std::chrono::milliseconds{100});
    EXPECT_EQ(Status(), "ABORTED..Unable to retrieve file");

    // Once idle, the tab and the close box work again.
    prompt_.Clear();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(3).center());
    EXPECT_EQ(tabs->currentIndex(), 3);
    EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(BackupPageE2eTest, OverAFaultyLineTheBackupEqualsACleanOne) {
    // About one reply in ten goes wrong: hold-offs, NAKs, bad LRCs and dropped replies.
    Start({"--holdoff-every", "40", "--holdoff-ms", "300", "--nak-every", "30", "--bad-lrc-every",
           "30", "--drop-every", "60", "--seed", "7"});
    StatusWatcher watch(page_);
    ClickBackup("Faulty line");
    const fs::path written = BackupFolder() / "Faulty line.vbk";
    ASSERT_TRUE(fs::is_regular_file(written)) << watch.Seen().toStdString();
    EXPECT_EQ(e2e::DifferenceButForTheDate(written, ws().PackedBackup()), "");
    EXPECT_TRUE(Status().startsWith("Backup completed (12 files).")) << Status().toStdString();
    // The faults happened and were counted.
    const QString errors = Find<QLabel>(page_, "transferErrors")->text();
    ASSERT_TRUE(errors.startsWith("Transfer Errors: ")) << errors.toStdString();
    EXPECT_GT(errors.mid(17).toInt(), 0) << watch.Seen().toStdString();
}

TEST_F(BackupPageE2eTest, TheIdTagsPageListsAndDeletesTheLoggersIdFiles) {
    Start();
    CFilePage* page = sheet().FilePage();
    ASSERT_TRUE(sheet().SetActivePage(page));
    auto* list = Find<CListCtrlEx>(page, "idFileList");
    QTest::mouseClick(Find<QPushButton>(page, "idRefreshButton"), Qt::LeftButton);
    ASSERT_EQ(list->RowCount(), 2);
    EXPECT_EQ(list->ItemText(0, 0), "SITE0001.id");
    EXPECT_EQ(list->ItemText(1, 0), "SITE0002.id");

    list->SelectRow(0);
    prompt_.ScriptAnswer(PromptAnswer::Yes);
    QTest::mouseClick(Find<QPushButton>(page, "deleteSelectedButton"), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(list->RowCount(), 1);
    EXPECT_EQ(list->ItemText(0, 0), "SITE0002.id");
    EXPECT_EQ(Find<QLabel>(page, "statusLine")->text(), "Idle");

    sheet_.reset();
    testing::FileMap expected = testing::ReadFolder(ws().Image());
    expected.erase("SITE0001.id");
    EXPECT_EQ(sim_->StopAndReadDump(), expected);
}

}  // namespace
}  // namespace vantrel::app::test
