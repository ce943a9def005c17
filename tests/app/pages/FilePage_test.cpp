// SPDX-License-Identifier: GPL-3.0-or-later
// The ID Tags page against the simulator's engine in-process: which logger files it shows
// and in what order, deleting after the warning, the buttons while it works, and its
// status line.

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <memory>

#include "app/GuiFixture.h"
#include "app/common/ListCtrlEx.h"
#include "app/pages/ConnectionStatus.h"
#include "app/pages/FilePage.h"
#include "sim/InProcessLoggerPort.h"
#include "sim/LoggerEngine.h"

namespace vantrel::app::test {
namespace {

constexpr const char* kWarning =
    "Warning: This will delete the selected ID file(s)\nThese files are used for a partnership "
    "between the vantrel and the downloaded databases\nDo you wish to continue?";

// The simulator lists in name order (byte order: upper case first).
sim::LoggerFileSystem LoggerWith(const std::vector<std::string>& names) {
    sim::LoggerFileSystem files;
    for (const std::string& name : names) files.Put(name, "tag " + name, sim::CivilTime{});
    return files;
}

class FilePageTest : public GuiTest {
protected:
    ~FilePageTest() override { sheet_.reset(); }

    void Start(const std::vector<std::string>& names) {
        sheet_.reset();
        logger_ = std::make_unique<sim::LoggerEngine>(LoggerWith(names));
        MakeSheet(true, sim::InProcessPortFactory(*logger_));
        page_ = sheet().FilePage();
        ASSERT_NE(page_, nullptr);
        ASSERT_TRUE(sheet().SetActivePage(page_));
        list_ = Find<CListCtrlEx>(page_, "idFileList");
        refresh_ = Find<QPushButton>(page_, "idRefreshButton");
        delete_ = Find<QPushButton>(page_, "deleteSelectedButton");
    }
    QStringList Shown() const {
        QStringList rows;
        for (int row = 0; row < list_->RowCount(); ++row) rows << list_->ItemText(row, 0);
        return rows;
    }
    std::vector<std::string> OnLogger() const {
        std::vector<std::string> names;
        for (const auto& [name, file] : logger_->files().files()) names.push_back(name);
        return names;
    }
    QString StatusLine() const { return Find<QLabel>(page_, "statusLine")->text(); }

    std::unique_ptr<sim::LoggerEngine> logger_;
    CFilePage* page_ = nullptr;
    CListCtrlEx* list_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* delete_ = nullptr;
};

TEST_F(FilePageTest, ShowsOnlyIdFilesInTheLoggersOrderAfterRefresh) {
    Start({"PRO01.DAT00", "A.ID", "b.id", "id", "x.idx", "c.Id", "USERSOIL.CFG01"});
    EXPECT_EQ(list_->ColumnCount(), 1);
    EXPECT_EQ(list_->headerItem()->text(0), "Name");
    EXPECT_TRUE(Shown().isEmpty());  // activation alone does not list
    EXPECT_FALSE(delete_->isEnabled());
    EXPECT_EQ(StatusLine(), "Idle");

    QTest::mouseClick(refresh_, Qt::LeftButton);
    EXPECT_EQ(Shown(), (QStringList{"A.ID", "b.id", "c.Id"}));
    EXPECT_FALSE(delete_->isEnabled());
    EXPECT_EQ(refresh_->text(), "R&efresh View");
    QApplication::processEvents();
    EXPECT_EQ(StatusLine(), "Idle");  // the listing ends with a status without text
    EXPECT_FALSE(page_->IsBusy());

    list_->SelectRow(1);
    EXPECT_TRUE(delete_->isEnabled());
    list_->SelectRow(1, false);
    EXPECT_FALSE(delete_->isEnabled());
}

TEST_F(FilePageTest, AnsweringNoDeletesNothingAndLeavesTheButtonsAsTheyWere) {
    Start({"A.ID", "b.id", "c.id"});
    QTest::mouseClick(refresh_, Qt::LeftButton);
    list_->SelectRow(0);
    list_->SelectRow(2);
    prompt_.ScriptAnswer(PromptAnswer::No);
    QTest::mouseClick(delete_, Qt::LeftButton);

    ASSERT_EQ(prompt_.shown().size(), 1u);
    EXPECT_EQ(prompt_.shown()[0].text, kWarning);
    EXPECT_EQ(prompt_.shown()[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(OnLogger(), (std::vector<std::string>{"A.ID", "b.id", "c.id"}));
    EXPECT_EQ(Shown(), (QStringList{"A.ID", "b.id", "c.id"}));
    EXPECT_EQ(list_->SelectedRows(), (QList<int>{0, 2}));
    EXPECT_TRUE(delete_->isEnabled());
    EXPECT_EQ(delete_->text(), "De&lete Selected");
    EXPECT_TRUE(refresh_->isEnabled());
}

TEST_F(FilePageTest, YesDeletesTheSelectedFilesThenListsAgain) {
    Start({"A.ID", "PRO01.DAT00", "b.id", "c.id"});
    QTest::mouseClick(refresh_, Qt::LeftButton);
    list_->SelectRow(0);
    list_->SelectRow(2);

    // The buttons while the deletion and the listing after it run.
    auto* status = Find<CConnectionStatus>(page_, "connectionStatus");
    QStringList states;
    QSet<int> deleteWidths{delete_->width()};
    QObject::connect(status, &CConnectionStatus::progressChanged, page_, [&] {
        deleteWidths << delete_->width();
        states << QString("%1 %2/%3 %4")
                      .arg(StatusLine(), refresh_->text(), refresh_->isEnabled() ? "on" : "off",
                           delete_->text() + (delete_->isEnabled() ? " on" : " off"));
    });
    prompt_.ScriptAnswer(PromptAnswer::Yes);
    QTest::mouseClick(delete_, Qt::LeftButton);

    EXPECT_EQ(OnLogger(), (std::vector<std::string>{"PRO01.DAT00", "b.id"}));
    EXPECT_EQ(Shown(), (QStringList{"b.id"}));
    EXPECT_FALSE(delete_->isEnabled());
    EXPECT_EQ(delete_->text(), "De&lete Selected");
    EXPECT_TRUE(refresh_->isEnabled());
    EXPECT_EQ(refresh_->text(), "R&efresh View");
    EXPECT_FALSE(page_->IsBusy());
    EXPECT_TRUE(states.contains("Erasing files R&efresh View/off Cance&l on"))
        << states.join(" | ").toStdString();
    EXPECT_TRUE(states.contains("Retrieving File Info Canc&el/on De&lete Selected off"))
        << states.join(" | ").toStdString();
    deleteWidths << delete_->width();
    EXPECT_EQ(deleteWidths.size(), 1) << "the button's width changed with its caption";
}

TEST_F(FilePageTest, CancelDuringARefreshLeavesAnEmptyListAndAnIdlePage) {
    Start({"A.ID", "B.ID", "C.ID", "D.ID"});
    auto* status = Find<CConnectionStatus>(page_, "connectionStatus");
    bool cancelled = false;
    QObject::connect(status, &CConnectionStatus::progressChanged, page_, [&](int percent) {
        if (!cancelled && percent > 0) {
            cancelled = true;
            QTest::mouseClick(refresh_, Qt::LeftButton);  // reads "Canc&el"
        }
    });
    QTest::mouseClick(refresh_, Qt::LeftButton);
    ASSERT_TRUE(cancelled);
    QApplication::processEvents();
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_EQ(StatusLine(), "Unable to retrieve info from file");
    EXPECT_EQ(refresh_->text(), "R&efresh View");
    EXPECT_FALSE(page_->IsBusy());
    EXPECT_FALSE(sheet().IsCancelled());

    cancelled = true;
    QTest::mouseClick(refresh_, Qt::LeftButton);
    EXPECT_EQ(Shown().size(), 4);
}

TEST_F(FilePageTest, AStatusWithoutTextReadsIdleAndAlwaysMovesTheBar) {
    Start({});
    auto* bar = Find<QProgressBar>(page_, "progressBar");
    page_->OnNotification(Notification::Status(30, std::string("Erasing files")));
    EXPECT_EQ(StatusLine(), "Erasing files");
    page_->OnNotification(Notification::Status(55, std::nullopt));
    EXPECT_EQ(StatusLine(), "Idle");
    EXPECT_EQ(bar->value(), 55);
    EXPECT_EQ(page_->findChild<QLabel*>("transferErrors"), nullptr);  // no transfer lines here
}

TEST_F(FilePageTest, APageDestroyedWhileBusyAsksTheSheetToCancel) {
    Start({});
    auto* page = new CFilePage;
    page->SetSheet(&sheet());
    page->SetBusy(true);
    EXPECT_FALSE(sheet().IsCancelled());
    delete page;
    EXPECT_TRUE(sheet().IsCancelled());
}

}  // namespace
}  // namespace vantrel::app::test
