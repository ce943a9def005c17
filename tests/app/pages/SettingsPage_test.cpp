// SPDX-License-Identifier: GPL-3.0-or-later
// The Settings page: the port, baud rate and folder shown from the store, Apply, and the
// question when the page is left with changes.

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/GuiFixture.h"
#include "app/common/Strings.h"
#include "app/pages/BackupPage.h"
#include "app/pages/RestoreExportPage.h"
#include "app/pages/SettingsPage.h"
#include "base/PathText.h"
#include "ops/AppSettings.h"
#include "platform/qt/QtSettings.h"

namespace vantrel::app::test {
namespace {

using namespace settings;

class SettingsPageTest : public GuiTest {
protected:
    CSettingsPage& ShowSettings() {
        MakeSheet();
        sheet().SetActivePage(sheet().SettingsPage());
        return *sheet().SettingsPage();
    }
    QComboBox* Ports() { return Find<QComboBox>(&sheet(), "portList"); }
    QComboBox* Bauds() { return Find<QComboBox>(&sheet(), "baudList"); }
    QLineEdit* Path() { return Find<QLineEdit>(&sheet(), "pathEdit"); }
    QPushButton* Apply() { return Find<QPushButton>(&sheet(), "applyButton"); }
};

TEST_F(SettingsPageTest, AStoredPortSelectsTheFirstListedPortItBeginsAndIsWrittenBack) {
    listedPorts_ = {{"COM1", ""}, {"COM10", ""}, {"COM2", ""}};
    settings_.WriteString(kSettings, kPort, "com1");
    ShowSettings();
    EXPECT_EQ(Ports()->currentText(), "COM1");
    listedPorts_ = {{"COM10", ""}, {"COM2", ""}};
    settings_.WriteString(kSettings, kPort, "COM1");
    ShowSettings();
    EXPECT_EQ(Ports()->currentText(), "COM10");
    EXPECT_EQ(settings_.GetString(kSettings, kPort, "?"), "COM10");
    EXPECT_FALSE(Apply()->isEnabled());  // filling the controls changed nothing
}

TEST_F(SettingsPageTest, APortTheListDoesNotHoldIsKeptAsTyped) {
    settings_.WriteString(kSettings, kPort, "/dev/serial/by-id/usb-logger-if00");
    ShowSettings();
    EXPECT_EQ(Ports()->currentText(), "/dev/serial/by-id/usb-logger-if00");
    EXPECT_EQ(settings_.GetString(kSettings, kPort, "?"), "/dev/serial/by-id/usb-logger-if00");
}

TEST_F(SettingsPageTest, WithoutAStoredPortTheRememberedPositionIsChosenAndWritten) {
    settings_.WriteInt(kSettings, kCommPortSel, 1);
    ShowSettings();
    EXPECT_EQ(Ports()->currentText(), "ttyUSB0");
    EXPECT_EQ(settings_.GetString(kSettings, kPort, "?"), "ttyUSB0");
}

TEST_F(SettingsPageTest, PortsAreListedAfreshOnEveryShowingAndOpeningKeepingThePortShown) {
    listedPorts_ = {{"ttyS0", ""}};
    settings_.WriteString(kSettings, kPort, "ttyUSB0");  // the adapter is not plugged in
    CSettingsPage& page = ShowSettings();
    EXPECT_EQ(Ports()->count(), 1);
    EXPECT_EQ(Ports()->currentText(), "ttyUSB0");
    const auto listed = [this] {
        QStringList names;
        for (int row = 0; row < Ports()->count(); ++row) names << Ports()->itemText(row);
        return names;
    };

    // Plugged in while the program runs: there when the page is shown again.
    listedPorts_ = {{"ttyS0", ""}, {"ttyUSB0", "USB-Serial"}};
    sheet().SetActivePage(sheet().BackupPage());
    sheet().SetActivePage(&page);
    EXPECT_EQ(listed(), (QStringList{"ttyS0", "ttyUSB0"}));
    EXPECT_EQ(Ports()->currentIndex(), 1);
    EXPECT_EQ(Find<QLabel>(&page, "portDescription")->text(), "USB-Serial");
    // The open list names the device beside the port; the choice keeps the name alone.
    EXPECT_EQ(Ports()->itemData(1, Qt::AccessibleTextRole).toString(),
              QStringLiteral("ttyUSB0 \u2014 USB-Serial"));
    EXPECT_EQ(Ports()->itemData(0, Qt::AccessibleTextRole).toString(), "ttyS0");

    // ...and when the list is opened, with a typed choice kept as typed.
    Ports()->setEditText("/dev/ttyACM0");
    listedPorts_.push_back({"ttyUSB1", ""});
    Ports()->showPopup();
    EXPECT_EQ(listed(), (QStringList{"ttyS0", "ttyUSB0", "ttyUSB1"}));
    Ports()->hidePopup();
    EXPECT_EQ(Ports()->currentText(), "/dev/ttyACM0");
    EXPECT_TRUE(page.IsModified());

    // Pulled out again: the stored port is still shown, and refilling changes nothing.
    prompt_.ScriptAnswer(PromptAnswer::No);
    sheet().SetActivePage(sheet().BackupPage());
    listedPorts_ = {{"ttyS0", ""}};
    sheet().SetActivePage(&page);
    EXPECT_EQ(listed(), QStringList{"ttyS0"});
    EXPECT_EQ(Ports()->currentText(), "ttyUSB0");
    EXPECT_FALSE(page.IsModified());
    EXPECT_EQ(settings_.GetString(kSettings, kPort, "?"), "ttyUSB0");
}

// A screen reader hears of a list's items only while the list is open: not while it is
// closed, nor while another page is up.
TEST_F(SettingsPageTest, ListItemsAreReportedShowingOnlyWhileTheListIsOpen) {
    ShowSettings();
    const auto showing = [](QComboBox* combo, int row) {
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(combo->view());
        QAccessibleInterface* item = list != nullptr ? list->child(row) : nullptr;
        return item != nullptr && !item->state().invisible && !item->rect().isEmpty();
    };
    ASSERT_GE(Bauds()->count(), 2);
    for (int round = 0; round < 2; ++round) {  // the list opened again is shown whole again
        EXPECT_FALSE(showing(Bauds(), 0));
        Bauds()->showPopup();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Bauds()->view()->window()));
        EXPECT_TRUE(showing(Bauds(), 0));
        EXPECT_TRUE(showing(Bauds(), Bauds()->count() - 1));
        Bauds()->hidePopup();
    }
    sheet().SetActivePage(sheet().BackupPage());
    EXPECT_FALSE(showing(Bauds(), 0));
    EXPECT_FALSE(showing(Ports(), 0));
}

TEST_F(SettingsPageTest, OnlyAChangedPortIsCheckedForExistence) {
    const std::string absent = (folder_.path() / "ttyGone0").string();
    settings_.WriteString(kSettings, kPort, absent);
    CSettingsPage& page = ShowSettings();
    // Apply and the leave question's Yes with the stored port: no word about it.
    Bauds()->setCurrentIndex(1);
    Apply()->click();
    Bauds()->setCurrentIndex(2);
    prompt_.ScriptAnswer(PromptAnswer::Yes);
    sheet().SetActivePage(sheet().BackupPage());
    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{strings::kSettingsModified});
    EXPECT_EQ(settings_.GetInt(kSettings, kBaudRate, -1), 2);

    // Another port that is not there: saved, with the reminder.
    sheet().SetActivePage(&page);
    prompt_.Clear();
    const std::string other = (folder_.path() / "ttyGone1").string();
    Ports()->setEditText(QString::fromStdString(other));
    Apply()->click();
    ASSERT_EQ(prompt_.Texts().size(), 1u);
    EXPECT_NE(prompt_.Texts()[0].find(other + " does not exist"), std::string::npos);
    EXPECT_EQ(settings_.GetString(kSettings, kPort, "?"), other);
}

TEST_F(SettingsPageTest, ApplyWritesTheChoicesAndRefreshesTheBackupList) {
    CSettingsPage& page = ShowSettings();
    sheet().RestoreExportPage()->SetRefresh();
    sheet().SetActivePage(sheet().RestoreExportPage());  // the list is read
    ASSERT_FALSE(sheet().RestoreExportPage()->NeedsRefresh());
    sheet().SetActivePage(&page);
    Bauds()->setCurrentIndex(1);
    Path()->setText(QString::fromStdString(Utf8FromPath(folder_.path() / "elsewhere")));
    EXPECT_TRUE(Apply()->isEnabled());
    Apply()->click();
    EXPECT_FALSE(page.IsModified());
    EXPECT_FALSE(Apply()->isEnabled());
    EXPECT_EQ(settings_.GetInt(kSettings, kBaudRate, -1), 1);
    EXPECT_EQ(settings_.GetString(kSettings, kDefaultPath, "?"),
              (folder_.path() / "elsewhere").string());
    EXPECT_TRUE(sheet().RestoreExportPage()->NeedsRefresh());
}

TEST_F(SettingsPageTest, LeavingWithChangesAsksAndNoPutsBackTheStoredValues) {
    settings_.WriteInt(kSettings, kBaudRate, 2);
    ShowSettings();
    Bauds()->setCurrentIndex(0);
    prompt_.ScriptAnswer(PromptAnswer::No);
    sheet().SetActivePage(sheet().BackupPage());
    ASSERT_EQ(prompt_.shown().size(), 1u);
    EXPECT_EQ(prompt_.shown()[0].text, strings::kSettingsModified);
    EXPECT_EQ(prompt_.shown()[0].caption, "Modified");
    EXPECT_EQ(sheet().ActivePage(), sheet().Pages()[0]);  // the page is always left
    EXPECT_EQ(Bauds()->currentIndex(), 2);
    EXPECT_EQ(settings_.GetInt(kSettings, kBaudRate, -1), 2);
    EXPECT_FALSE(sheet().SettingsPage()->IsModified());
}

TEST_F(SettingsPageTest, AnEmptyPortOrNoBaudRateIsNamedInsteadOfStored) {
    listedPorts_.clear();
    settings_.WriteInt(kSettings, kBaudRate, 7);  // no such position: nothing selected
    ShowSettings();
    EXPECT_EQ(Bauds()->currentIndex(), -1);
    Path()->setText("x");  // a change, so Apply can be pressed
    Apply()->click();
    ASSERT_EQ(prompt_.Texts().size(), 1u);
    EXPECT_NE(prompt_.Texts()[0].find("serial port"), std::string::npos);
    Ports()->setEditText("ttyUSB0");
    Apply()->click();
    ASSERT_EQ(prompt_.Texts().size(), 2u);
    EXPECT_NE(prompt_.Texts()[1].find("baud rate"), std::string::npos);
    EXPECT_EQ(settings_.GetInt(kSettings, kBaudRate, -1), 7);
    EXPECT_TRUE(sheet().SettingsPage()->IsModified());
}

TEST_F(SettingsPageTest, ApplyThatCannotSaveSaysWhyAndStaysModifiedUntilASaveWorks) {
    // Settings in a file whose folder is taken by a plain file: no save can succeed.
    const std::filesystem::path blocked = folder_.path() / "Ortvel";
    std::ofstream(blocked) << "not a folder";
    const std::string file = (blocked / "VantrelUtilities.conf").string();
    QtSettings store(QString::fromStdString(file));
    sheet_ = std::make_unique<CMainSheet>(
        CMainSheet::Environment{store, folders_, false, DefaultSerialPortFactory(), &prompt_,
                                [this] { return listedPorts_; }});
    sheet().SetActivePage(sheet().SettingsPage());
    Bauds()->setCurrentIndex(2);
    Apply()->click();
    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{std::string(strings::kSettingsNotSaved) +
                                                        "\n\n" + file + ": Not a directory"});
    EXPECT_TRUE(sheet().SettingsPage()->IsModified());
    EXPECT_TRUE(Apply()->isEnabled()) << "Apply can try again";

    std::filesystem::remove(blocked);
    std::filesystem::create_directory(blocked);
    prompt_.Clear();
    Apply()->click();
    for (const std::string& text : prompt_.Texts()) {
        EXPECT_EQ(text.find(strings::kSettingsNotSaved), std::string::npos) << text;
    }
    EXPECT_FALSE(sheet().SettingsPage()->IsModified());
    std::ifstream saved(file);
    const std::string text{std::istreambuf_iterator<char>(saved), {}};
    EXPECT_NE(text.find("Baud%20Rate=2"), std::string::npos) << text;
    sheet_.reset();  // before the store it uses
}

}  // namespace
}  // namespace vantrel::app::test
