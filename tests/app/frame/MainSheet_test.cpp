// SPDX-License-Identifier: GPL-3.0-or-later
// The main sheet's frame: its pages, the closing rules, page navigation while busy, the
// link wiring (port opening, the transfer-rate timer) and context help.

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "app/GuiFixture.h"
#include "app/common/Strings.h"
#include "app/pages/BackupPage.h"
#include "app/pages/HelpPage.h"
#include "app/pages/RestoreExportPage.h"
#include "app/pages/SettingsPage.h"
#include "ops/AppSettings.h"
#include "sim/InProcessLoggerPort.h"
#include "sim/LoggerEngine.h"

namespace vantrel::app::test {
namespace {

using namespace settings;

QStringList TabTexts(CMainSheet& sheet) {
    auto* tabs = Find<QTabWidget>(&sheet, "pages");
    QStringList texts;
    for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
    return texts;
}

// A page marked busy as its start button marks it while its operation runs.
class BusyPage {
public:
    explicit BusyPage(COperationPage* page) : page_(page) { page_->SetBusy(true); }
    ~BusyPage() { page_->SetBusy(false); }

private:
    COperationPage* page_;
};

}  // namespace

TEST_F(GuiTest, WithoutTheCompanionTheSheetHasThreePagesInOrder) {
    MakeSheet(false);
    EXPECT_EQ(TabTexts(sheet()), (QStringList{"&Backup", "&Restore / Export", "&Settings"}));
    EXPECT_EQ(sheet().FilePage(), nullptr);
    EXPECT_EQ(sheet().windowTitle(), "Vantrel Utilities");
}

TEST_F(GuiTest, WithTheCompanionIdTagsIsTheFourthPage) {
    MakeSheet(true);
    EXPECT_EQ(TabTexts(sheet()),
              (QStringList{"&Backup", "&Restore / Export", "&Settings", "&ID Tags"}));
}

TEST_F(GuiTest, CloseButtonAndHelpButtonSitInTheStripWithTheirCaptions) {
    MakeSheet();
    EXPECT_EQ(Find<QPushButton>(&sheet(), "closeButton")->text(), "&Close");
    auto* help = Find<QPushButton>(&sheet(), "helpButton");
    EXPECT_EQ(help->text(), "&Help");
    ASSERT_NE(help->menu(), nullptr);
    QStringList commands;
    for (QAction* action : help->menu()->actions()) {
        if (!action->isSeparator()) commands << action->text();
    }
    EXPECT_EQ(commands,
              (QStringList{"Help &Topics", "&What's This?", "&About Vantrel Utilities..."}));
}

TEST_F(GuiTest, ClosingWhileAPageIsBusyIsRefusedWithItsMessage) {
    MakeSheet();
    {
        BusyPage busy(sheet().BackupPage());
        QTest::mouseClick(Find<QPushButton>(&sheet(), "closeButton"), Qt::LeftButton);
        EXPECT_TRUE(sheet().isVisible());
        EXPECT_FALSE(sheet().close());  // the window's close box and Alt+F4
        EXPECT_TRUE(sheet().isVisible());
        EXPECT_EQ(prompt_.Texts(),
                  (std::vector<std::string>{strings::kCloseWhileBusy, strings::kCloseWhileBusy}));
        EXPECT_EQ(sheet().windowTitle(), "Backup - Vantrel Utilities");
    }
    prompt_.Clear();
    QTest::mouseClick(Find<QPushButton>(&sheet(), "closeButton"), Qt::LeftButton);
    EXPECT_FALSE(sheet().isVisible());
    EXPECT_TRUE(prompt_.Texts().empty());
}

TEST_F(GuiTest, ABusyPageCannotBeLeftByTheTabBarOrTheKeyboard) {
    MakeSheet();
    BusyPage busy(sheet().BackupPage());
    auto* tabs = Find<QTabWidget>(&sheet(), "pages");
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(tabs->currentIndex(), 0);
    tabs->setCurrentIndex(2);  // Ctrl+Tab and the arrow keys end here
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(sheet().ActivePage(), sheet().Pages()[0]);
    EXPECT_EQ(prompt_.Texts(),
              (std::vector<std::string>{strings::kLeaveWhileBusy, strings::kLeaveWhileBusy}));
}

TEST_F(GuiTest, EndingWaitsForTheBusyPageAnswersOpenBoxesSafelyAndAsksNothing) {
    MakeSheet();
    int endedWith = -1;
    QObject::connect(&sheet(), &CMainSheet::ended,
                     [&endedWith](int status) { endedWith = status; });
    {
        BusyPage busy(sheet().BackupPage());
        // A question open when the request comes is closed and answered "change nothing".
        QTimer::singleShot(50, &sheet(), [this] { sheet().EndOnRequest(129); });
        EXPECT_EQ(sheet().MessageBoxes().Show("Restore now?", "Restore Warning",
                                              PromptButtons::OKCancel, PromptIcon::Exclamation),
                  PromptAnswer::Cancel);
        EXPECT_TRUE(sheet().IsCancelled());  // as by the page's Cancel button
        QTest::qWait(20);
        EXPECT_EQ(endedWith, -1) << "ended while the operation still ran";
        EXPECT_FALSE(sheet().close());  // and no box about it
        // Later boxes are not shown at all; a second request changes nothing.
        EXPECT_EQ(
            sheet().MessageBoxes().Show("Delete?", "", PromptButtons::YesNo, PromptIcon::Question),
            PromptAnswer::No);
        sheet().EndOnRequest(143);
    }
    QTRY_COMPARE(endedWith, 129);
    EXPECT_TRUE(prompt_.Texts().empty());
}

class SettingsClosingTest : public GuiTest {
protected:
    void ChangeBaudRate() {
        sheet().SetActivePage(sheet().Pages()[2]);
        auto* baud = Find<QComboBox>(&sheet(), "baudList");
        baud->setCurrentIndex(2);
        EXPECT_TRUE(sheet().SettingsPage()->IsModified());
    }
};

TEST_F(SettingsClosingTest, YesWritesPathPortAndBaudRateThenCloses) {
    MakeSheet();
    ChangeBaudRate();
    prompt_.ScriptAnswer(PromptAnswer::Yes);
    QTest::mouseClick(Find<QPushButton>(&sheet(), "closeButton"), Qt::LeftButton);
    EXPECT_FALSE(sheet().isVisible());
    ASSERT_EQ(prompt_.shown().size(), 1u);
    EXPECT_EQ(prompt_.shown()[0].text, strings::kSettingsModified);
    EXPECT_EQ(prompt_.shown()[0].caption, "Modified");
    EXPECT_EQ(prompt_.shown()[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(settings_.GetInt(kSettings, kBaudRate, -9), 2);
    EXPECT_EQ(settings_.GetString(kSettings, kPort, "?"), "ttyS0");
    EXPECT_EQ(settings_.GetString(kSettings, kDefaultPath, "?"), BackupFolder().string());
}

TEST_F(SettingsClosingTest, NoWritesNothingAndStillCloses) {
    MakeSheet();
    ChangeBaudRate();
    prompt_.ScriptAnswer(PromptAnswer::No);
    EXPECT_TRUE(sheet().close());
    EXPECT_FALSE(settings_.Contains(kSettings, kBaudRate));
}

TEST_F(GuiTest, OpenLinkWithABadBaudIndexKeepsThePortThatIsOpen) {
    sim::LoggerEngine logger{sim::LoggerFileSystem{}};
    MakeSheet(false, sim::InProcessPortFactory(logger));
    settings_.WriteString(kSettings, kPort, "ttyUSB0");
    settings_.WriteInt(kSettings, kBaudRate, 0);
    ASSERT_TRUE(sheet().OpenLink());
    ASSERT_TRUE(sheet().Session().engine().HasOpenPort());
    settings_.WriteInt(kSettings, kBaudRate, 3);
    EXPECT_FALSE(sheet().OpenLink());
    EXPECT_TRUE(sheet().Session().engine().HasOpenPort());
}

// Records the link notifications the page receives.
class RateRecorder final : public INotificationTarget {
public:
    void OnNotification(const Notification& notification) override {
        if (notification.kind == NotificationKind::WM_LINK_RATE)
            rates.push_back(notification.value);
    }
    std::vector<std::uint32_t> rates;
};

TEST_F(GuiTest, TheFirstRateTickPostsNothingAndLaterTicksPostTheRate) {
    MakeSheet();
    RateRecorder page;
    CLinkEngine& engine = sheet().Session().engine();
    engine.SetTarget(&page);
    engine.StartRateTimer(std::chrono::milliseconds(30));
    engine.SetTransferByteCount(500);
    QTest::qWait(45);  // one tick
    EXPECT_TRUE(page.rates.empty());
    engine.SetTransferByteCount(300);
    QTRY_COMPARE_WITH_TIMEOUT(page.rates.size(), 1u, 1000);
    engine.StopRateTimer();
    engine.SetTarget(nullptr);
    EXPECT_GT(page.rates[0], 0u);
}

// True when a "What's This?" pop-up is on screen (and closes it).
bool PopUpShown() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && QByteArray(widget->metaObject()->className()) == "QWhatsThat") {
            widget->close();
            return true;
        }
    }
    return false;
}

void AskWhatsThis(QWidget* widget) {
    const QPoint inside(2, 2);
    QHelpEvent help(QEvent::WhatsThis, inside, widget->mapToGlobal(inside));
    QApplication::sendEvent(widget, &help);
    QApplication::processEvents();
}

TEST_F(GuiTest, HelpOnALabelOrTheTabBarShowsNothingAndOnAControlItsText) {
    MakeSheet();
    sheet().SetActivePage(sheet().Pages()[2]);
    AskWhatsThis(Find<QLabel>(&sheet(), "baudLabel"));
    EXPECT_FALSE(PopUpShown());
    AskWhatsThis(Find<QTabWidget>(&sheet(), "pages")->tabBar());
    EXPECT_FALSE(PopUpShown());
    AskWhatsThis(Find<QComboBox>(&sheet(), "baudList"));
    EXPECT_TRUE(PopUpShown());
}

}  // namespace vantrel::app::test
