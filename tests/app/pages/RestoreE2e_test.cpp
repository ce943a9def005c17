// SPDX-License-Identifier: GPL-3.0-or-later
// The Restore / Export page against vantrel-logger-sim on a pseudo-terminal, through the
// real serial port code, clicked as a user would: a restore from the click to the logger's
// files with its progress on the way, one refused at the warning, and one cancelled.

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <functional>
#include <memory>

#include "app/GuiFixture.h"
#include "app/common/ListCtrlEx.h"
#include "app/dialogs/ExportDialog.h"
#include "app/frame/TerminationWatcher.h"
#include "app/pages/ConnectionStatus.h"
#include "app/pages/RestoreExportPage.h"
#include "e2e/CliE2eSupport.h"
#include "frontend/RestoreRecord.h"
#include "ops/AppSettings.h"
#include "support/SimulatorProcess.h"

namespace vantrel::app::test {
namespace {

namespace fs = std::filesystem;
using e2e::CliWorkspace;
using vantrel::testing::FileMap;
using vantrel::testing::SimulatorProcess;

// Each text the page's status, error and rate lines show while the restore runs, every
// change once, in order (sampled every millisecond, inside the restore's waits). `onSample`
// runs after each sample, as a user watching the page.
class LineWatcher {
public:
    LineWatcher(QWidget* page, std::function<void()> onSample = {})
        : lines_{Find<QLabel>(page, "statusLine"), Find<QLabel>(page, "transferErrors"),
                 Find<QLabel>(page, "transferRate")},
          onSample_(std::move(onSample)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Sample(); });
        timer_.start(1);
    }

    QStringList statuses, errors, rates;

    QString Seen() const {
        return statuses.join(" | ") + " // " + errors.join(" | ") + " // " + rates.join(" | ");
    }
    bool SawStatusStartingWith(const QString& start) const {
        for (const QString& status : statuses) {
            if (status.startsWith(start)) return true;
        }
        return false;
    }

private:
    static void Note(QStringList& seen, const QLabel* label) {
        if (seen.isEmpty() || seen.back() != label->text()) seen << label->text();
    }
    void Sample() {
        if (sampling_) return;
        sampling_ = true;
        Note(statuses, lines_[0]);
        Note(errors, lines_[1]);
        Note(rates, lines_[2]);
        if (onSample_) onSample_();
        sampling_ = false;
    }

    QLabel* lines_[3];
    std::function<void()> onSample_;
    QTimer timer_;
    bool sampling_ = false;
};

// What the logger holds before the restore: its own configuration, unlike the backup's,
// and a file that the backup does not have.
const FileMap kLoggerBefore = {{"QUILON.CFG00", "the logger's own configuration"},
                               {"OLDSITE.id", "a site the backup does not know"}};

class RestoreE2eTest : public GuiTest {
protected:
    static void SetUpTestSuite() {
        workspace_ = new CliWorkspace(
            {"--profiles", "2", "--readings", "20", "--sensors", "4", "--seed", "23"});
    }
    static void TearDownTestSuite() {
        delete workspace_;
        workspace_ = nullptr;
    }
    // The sheet lets go of the port before the simulator stops.
    ~RestoreE2eTest() override { sheet_.reset(); }

    static CliWorkspace& ws() { return *workspace_; }

    // The simulator on the logger's files with `options`, the sample backup in the backup
    // folder as "Field trip", and the page showing it, selected.
    void Start(const std::vector<std::string>& options = {}) {
        const fs::path image = folder_.path() / "logger";
        vantrel::testing::WriteFolder(image, kLoggerBefore);
        std::vector<std::string> args = {"--image", image.string()};
        args.insert(args.end(), options.begin(), options.end());
        sim_ = std::make_unique<SimulatorProcess>(args);
        settings_.WriteString(settings::kSettings, settings::kPort, sim_->linkPath());
        fs::copy_file(ws().PackedBackup(), BackupFolder() / "Field trip.vbk");
        MakeSheet();
        page_ = sheet().RestoreExportPage();
        ASSERT_TRUE(sheet().SetActivePage(page_));
        auto* list = Find<CListCtrlEx>(page_, "backupList");
        ASSERT_EQ(list->RowCount(), 1);
        ASSERT_EQ(list->ItemText(0, 0), "Field trip");
        list->setCurrentItem(list->topLevelItem(0));
        button_ = Find<QPushButton>(page_, "restoreButton");
    }
    void ClickRestore() {
        QTest::mouseClick(button_, Qt::LeftButton);
        QApplication::processEvents();  // what the restore posted last
    }
    QString Status() const { return Find<QLabel>(page_, "statusLine")->text(); }
    void ExpectIdle() {
        EXPECT_EQ(button_->text(), "R&estore");
        EXPECT_TRUE(Find<QPushButton>(page_, "refreshViewButton")->isEnabled());
        EXPECT_TRUE(Find<QPushButton>(page_, "exportButton")->isEnabled());
        EXPECT_FALSE(page_->IsBusy());
        EXPECT_FALSE(sheet().IsCancelled());
    }
    // The sample image as a restore leaves it: every file but the logger's configuration,
    // which the logger keeps.
    static FileMap ImageAfterRestore() {
        FileMap files = vantrel::testing::ReadFolder(ws().Image());
        files["QUILON.CFG00"] = kLoggerBefore.at("QUILON.CFG00");
        return files;
    }

    // While a restore runs the list stays as it is: its commands are off, and a double
    // click or a direct call does nothing.
    void ExpectListCommandsOff() {
        EXPECT_FALSE(Find<QPushButton>(page_, "refreshViewButton")->isEnabled());
        EXPECT_FALSE(Find<QPushButton>(page_, "exportButton")->isEnabled());
        for (const char* name :
             {"backupExportCommand", "backupRenameCommand", "backupDeleteCommand"}) {
            EXPECT_FALSE(Find<QAction>(page_, name)->isEnabled()) << name;
        }
        bool exportOpened = false;
        QTimer closer;  // an export dialog would otherwise hold the restore up
        QObject::connect(&closer, &QTimer::timeout, [&exportOpened] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<CExportDial*>(window);
                    dialog && dialog->isVisible()) {
                    exportOpened = true;
                    dialog->reject();
                }
            }
        });
        closer.start(10);
        auto* list = Find<CListCtrlEx>(page_, "backupList");
        const QRect row = list->visualItemRect(list->topLevelItem(0));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
        const std::size_t shown = prompt_.shown().size();
        page_->OnDeleteBackup();
        page_->OnRenameBackup();
        EXPECT_FALSE(exportOpened);
        EXPECT_EQ(prompt_.shown().size(), shown);
        EXPECT_EQ(list->findChild<QWidget*>("renameEditor"), nullptr);
        EXPECT_TRUE(fs::exists(BackupFolder() / "Field trip.vbk"));
    }

    static CliWorkspace* workspace_;
    std::unique_ptr<SimulatorProcess> sim_;
    CRestoreExportPage* page_ = nullptr;
    QPushButton* button_ = nullptr;
};
CliWorkspace* RestoreE2eTest::workspace_ = nullptr;

TEST_F(RestoreE2eTest, ARestoreWritesTheBackupButKeepsTheLoggersOwnConfiguration) {
    const FileMap image = vantrel::testing::ReadFolder(ws().Image());
    ASSERT_NE(image.at("QUILON.CFG00"), kLoggerBefore.at("QUILON.CFG00"));
    // Paced, so that the restore outlasts two ticks of the rate timer (6 s each).
    Start({"--baud", "9600"});
    LineWatcher watch(page_);
    ClickRestore();

    ASSERT_TRUE(Status().startsWith(
        QString("Restored %1 files OK.  Elapsed Time: 00:00:").arg(image.size() - 1)))
        << watch.Seen().toStdString();
    EXPECT_TRUE(watch.statuses.contains("Erasing Vantrel File System"))
        << watch.Seen().toStdString();
    EXPECT_TRUE(watch.statuses.contains("Uploading PRO01.DAT00")) << watch.Seen().toStdString();
    EXPECT_TRUE(watch.errors.contains("Transfer Errors: 0")) << watch.Seen().toStdString();
    ASSERT_FALSE(watch.rates.isEmpty());
    const QString rate = watch.rates.back();
    ASSERT_TRUE(rate.startsWith("Transfer Rate [cps]: ")) << watch.Seen().toStdString();
    // 9600 baud carry at most 960 characters a second (and the timer's period may run a
    // little short).
    const int cps = rate.mid(21).toInt();
    EXPECT_GT(cps, 100);
    EXPECT_LE(cps, 1100);
    EXPECT_EQ(prompt_.Texts().size(), 1u);  // the warning only
    ExpectIdle();

    EXPECT_EQ(sim_->StopAndReadDump(), ImageAfterRestore());
}

TEST_F(RestoreE2eTest, WithTheWarningRefusedTheLoggerIsNotTouched) {
    Start();
    prompt_.ScriptAnswer(PromptAnswer::Cancel);
    ClickRestore();
    ASSERT_EQ(prompt_.shown().size(), 1u);
    EXPECT_EQ(prompt_.shown()[0].caption, "Restore Warning");
    EXPECT_EQ(Status(), "Idle");
    EXPECT_FALSE(sheet().Session().engine().HasOpenPort());
    ExpectIdle();
    EXPECT_EQ(sim_->StopAndReadDump(), kLoggerBefore);
}

TEST_F(RestoreE2eTest, CancelStopsARestoreAtTheLoggersNextAnswer) {
    Start({"--baud", "9600"});
    bool cancelled = false;
    std::chrono::steady_clock::time_point cancelledAt;
    LineWatcher watch(page_, [&] {
        if (!cancelled && Status() == "Uploading PRO01.DAT00") {
            cancelled = true;
            cancelledAt = std::chrono::steady_clock::now();
            EXPECT_EQ(button_->text(), "Canc&el");
            ExpectListCommandsOff();
            QTest::mouseClick(button_, Qt::LeftButton);
        }
    });
    ClickRestore();
    ASSERT_TRUE(cancelled) << watch.Seen().toStdString();
    // Stopped at the next answer, not after the remaining uploads (over ten seconds here).
    EXPECT_LT(std::chrono::steady_clock::now() - cancelledAt, std::chrono::seconds{4});
    EXPECT_FALSE(watch.SawStatusStartingWith("Restored")) << watch.Seen().toStdString();
    ExpectIdle();
    // The box names the backup that was restored, whatever row is highlighted by now.
    ASSERT_FALSE(prompt_.shown().empty());
    EXPECT_EQ(prompt_.shown().back().caption, "Restore Incomplete");
    EXPECT_EQ(
        prompt_.shown().back().text.rfind("The restore of \"Field trip\" did not complete.\n", 0),
        0u)
        << prompt_.shown().back().text;

    // Erased, and written up to the file being uploaded when Cancel was pressed.
    const FileMap after = sim_->StopAndReadDump();
    EXPECT_EQ(after.count("OLDSITE.id"), 0u);
    EXPECT_EQ(after.at("QUILON.CFG00"), kLoggerBefore.at("QUILON.CFG00"));
    EXPECT_EQ(after.count("USERSOIL.CFG01"), 1u);
    EXPECT_EQ(after.count("PRO02.DAT00"), 0u);
}

TEST_F(RestoreE2eTest, SigtermCancelsARestoreWhichDeletesItsCutOffFileAndTheNextStartTellsIt) {
    const FileMap image = vantrel::testing::ReadFolder(ws().Image());
    Start({"--baud", "9600"});
    int endedWith = -1;
    QObject::connect(&sheet(), &CMainSheet::ended,
                     [&endedWith](int status) { endedWith = status; });
    // As the program wires it: the signal reaches the sheet through the watcher's pipe.
    const TerminationWatcher watcher([this](int signal) { sheet().EndOnRequest(128 + signal); });
    {
        bool sent = false;
        LineWatcher watch(page_, [&] {
            if (!sent && Status() == "Uploading PRO01.DAT00") {
                sent = true;
                ::kill(::getpid(), SIGTERM);
            }
        });
        ClickRestore();
        ASSERT_TRUE(sent) << watch.Seen().toStdString();
        QTRY_COMPARE(endedWith, 128 + SIGTERM);
        EXPECT_FALSE(watch.SawStatusStartingWith("Restored")) << watch.Seen().toStdString();
    }
    EXPECT_EQ(watcher.Signal(), SIGTERM);
    // No operation starts once the program is ending.
    const QString ended = Status();
    QTest::mouseClick(button_, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(Status(), ended);

    // The file being uploaded was deleted; every other file of the backup is whole.
    const FileMap after = sim_->StopAndReadDump();
    EXPECT_EQ(after.count("PRO01.DAT00"), 0u);
    for (const auto& [name, content] : after)
        EXPECT_EQ(content, ImageAfterRestore().at(name)) << name;
    const int complete = static_cast<int>(after.size()) - 1;  // the logger's own configuration
    const int total = static_cast<int>(image.size()) - 1;
    // Recorded as ended with the program, not by the user's cancel.
    const std::optional<RecordedRestore> record = RestoreRecords(settings_).Read(1);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->outcome.filesComplete, complete);
    EXPECT_EQ(record->outcome.filesTotal, total);
    EXPECT_EQ(record->outcome.ending, RestoreOutcome::Ending::ProgramEnded);

    // The next start tells it, once.
    const std::size_t boxes = prompt_.shown().size();
    MakeSheet();
    QTRY_COMPARE(prompt_.shown().size(), boxes + 1);
    EXPECT_EQ(prompt_.shown().back().caption, "Restore Incomplete");
    EXPECT_NE(prompt_.shown().back().text.find(
                  "was cut off: the program ended during it.\nThe logger holds " +
                  std::to_string(complete) + " of the backup's " + std::to_string(total) +
                  " files.\nRestoring the same backup again puts it right."),
              std::string::npos)
        << prompt_.shown().back().text;
    MakeSheet();
    QTest::qWait(50);
    EXPECT_EQ(prompt_.shown().size(), boxes + 1);
}

}  // namespace
}  // namespace vantrel::app::test
