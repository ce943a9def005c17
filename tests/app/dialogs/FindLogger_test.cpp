// SPDX-License-Identifier: GPL-3.0-or-later
// "Find Logger" on the Settings page against vantrel-logger-sim set to one rate
// (--strict-baud), through the real serial port code: found and stored when the user says
// so, not found, cancelled, and a port that cannot be opened.

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>

#include "app/GuiFixture.h"
#include "app/common/LiveText.h"
#include "app/dialogs/FindLoggerDialog.h"
#include "app/pages/SettingsPage.h"
#include "ops/AppSettings.h"
#include "support/SimulatorProcess.h"

namespace vantrel::app::test {
namespace {

using vantrel::testing::SimulatorProcess;

// Runs `act` on the Find Logger dialog once `ready` holds for it (checked every 10 ms,
// each check returning at once so that the search below it on the stack goes on).
void WhenDialog(std::function<bool(CFindLoggerDialog&)> ready,
                std::function<void(CFindLoggerDialog&)> act, int triesLeft = 1500) {
    QTimer::singleShot(10, [ready = std::move(ready), act = std::move(act), triesLeft]() mutable {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<CFindLoggerDialog*>(window);
            if (dialog == nullptr || !dialog->isVisible() || !ready(*dialog)) continue;
            act(*dialog);
            return;
        }
        if (triesLeft > 0) {
            WhenDialog(std::move(ready), std::move(act), triesLeft - 1);
        } else {
            ADD_FAILURE() << "the dialog never got there";
        }
    });
}

bool Done(CFindLoggerDialog& dialog) {
    return !dialog.IsSearching() && Find<QPushButton>(&dialog, "closeFindButton")->isEnabled();
}

QStringList Lines(CFindLoggerDialog& dialog) {
    QStringList lines;
    auto* list = Find<QListWidget>(&dialog, "probeResults");
    for (int row = 0; row < list->count(); ++row) lines << list->item(row)->text();
    return lines;
}

class FindLoggerTest : public GuiTest {
protected:
    // The Settings page with `port` typed in as the port; the list holds a port that
    // cannot be opened.
    CSettingsPage& SettingsWith(const std::string& port) {
        listedPorts_ = {{"ttyVANTRELNONE0", "Gone Adapter"}};
        MakeSheet();
        CSettingsPage* page = sheet().SettingsPage();
        EXPECT_TRUE(sheet().SetActivePage(page));
        Find<QComboBox>(page, "portList")->setEditText(QString::fromStdString(port));
        return *page;
    }
    void Click(QWidget* root, const char* button) {
        QTest::mouseClick(Find<QPushButton>(root, button), Qt::LeftButton);
    }
};

TEST_F(FindLoggerTest, FindsTheRateTheLoggerIsSetToAndStoresItWhenAsked) {
    for (const int rate : {38400, 19200, 9600}) {
        SimulatorProcess sim({"--baud", std::to_string(rate), "--strict-baud"});
        CSettingsPage& page = SettingsWith(sim.linkPath());
        QStringList lines;
        QString status;
        WhenDialog(Done, [&](CFindLoggerDialog& dialog) {
            lines = Lines(dialog);
            status = Find<QLabel>(&dialog, "probeStatus")->text();
            EXPECT_TRUE(Find<QPushButton>(&dialog, "useFoundButton")->isEnabled());
            Click(&dialog, "useFoundButton");
        });
        Click(&page, "findLoggerButton");

        const QString link = QString::fromStdString(sim.linkPath());
        // The typed port first, then the listed one, which is never tried once found.
        EXPECT_EQ(lines,
                  (QStringList{link + QStringLiteral(": the logger answered at %1 baud").arg(rate),
                               "ttyVANTRELNONE0 (Gone Adapter): not tried"}))
            << rate;
        EXPECT_EQ(status, QStringLiteral("The logger answered on %1 at %2 baud. Use this port and "
                                         "rate from now on?")
                              .arg(link)
                              .arg(rate));
        EXPECT_EQ(ReadChosenPort(settings_), sim.linkPath());
        EXPECT_EQ(BaudRateFromIndex(ReadBaudIndex(settings_)), rate);
        EXPECT_EQ(page.PortText(), link);
        EXPECT_EQ(BaudRateFromIndex(page.BaudIndex()), rate);
        EXPECT_TRUE(prompt_.Texts().empty());
    }
}

TEST_F(FindLoggerTest, NoAnswerAnywhereSaysSoListsTheShutPortAndChangesNothing) {
    SimulatorProcess sim({"--baud", "4800", "--strict-baud"});
    WriteLinkChoice(settings_, "ttyS7", 1);
    CSettingsPage& page = SettingsWith(sim.linkPath());
    QStringList lines;
    QString status;
    QString said;
    WhenDialog(Done, [&](CFindLoggerDialog& dialog) {
        lines = Lines(dialog);
        status = Find<QLabel>(&dialog, "probeStatus")->text();
        if (QAccessibleInterface* last = Find<LiveNotice>(&dialog, "probeNotice")->Last()) {
            said = last->text(QAccessible::Name);
        }
        EXPECT_FALSE(Find<QPushButton>(&dialog, "useFoundButton")->isEnabled());
        Click(&dialog, "closeFindButton");
    });
    Click(&page, "findLoggerButton");

    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0],
              QString::fromStdString(sim.linkPath()) + ": no answer at 38400, 19200 or 9600 baud");
    EXPECT_TRUE(lines[1].startsWith("ttyVANTRELNONE0 (Gone Adapter): cannot be opened: "))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains("/dev/ttyVANTRELNONE0")) << lines[1].toStdString();
    EXPECT_TRUE(status.startsWith("No logger answered on any port")) << status.toStdString();
    EXPECT_EQ(said, status) << "the conclusion, not a port tried, is said to screen readers";
    EXPECT_EQ(ReadChosenPort(settings_), "ttyS7");
    EXPECT_EQ(ReadBaudIndex(settings_), 1);
}

TEST_F(FindLoggerTest, CancelStopsTheSearchAtOnceAndChangesNothing) {
    SimulatorProcess sim({"--baud", "9600", "--strict-baud"});  // the last rate tried
    CSettingsPage& page = SettingsWith(sim.linkPath());
    const std::string storedPort = ReadChosenPort(settings_);
    QString status;
    bool cancelled = false;
    const auto start = std::chrono::steady_clock::now();
    WhenDialog(
        [](CFindLoggerDialog& dialog) {
            return dialog.IsSearching() &&
                   Find<QLabel>(&dialog, "probeStatus")->text().contains("at 19200 baud");
        },
        [&](CFindLoggerDialog& dialog) {
            Click(&dialog, "cancelSearchButton");
            WhenDialog(Done, [&](CFindLoggerDialog& done) {
                status = Find<QLabel>(&done, "probeStatus")->text();
                cancelled = done.Report().cancelled;
                Click(&done, "closeFindButton");
            });
        });
    Click(&page, "findLoggerButton");
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_TRUE(cancelled);
    EXPECT_EQ(status, "The search was cancelled; nothing was changed.");
    EXPECT_LT(elapsed, std::chrono::milliseconds{1400});  // the 9600 try never came
    EXPECT_EQ(ReadChosenPort(settings_), storedPort);
    EXPECT_FALSE(sheet().Session().engine().IsCancelled());
}

TEST_F(FindLoggerTest, ClosingTheWindowWhileSearchingCancelsFirst) {
    SimulatorProcess sim({"--baud", "4800", "--strict-baud"});
    CSettingsPage& page = SettingsWith(sim.linkPath());
    const std::string storedPort = ReadChosenPort(settings_);
    bool closedWhileSearching = false;
    WhenDialog([](CFindLoggerDialog& dialog) { return dialog.IsSearching(); },
               [&](CFindLoggerDialog& dialog) {
                   dialog.close();
                   closedWhileSearching = dialog.IsSearching();
               });
    Click(&page, "findLoggerButton");
    EXPECT_TRUE(closedWhileSearching);  // still searching: the close waits for the cancel
    EXPECT_EQ(ReadChosenPort(settings_), storedPort);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        EXPECT_EQ(qobject_cast<CFindLoggerDialog*>(window), nullptr);
    }
}

}  // namespace
}  // namespace vantrel::app::test
