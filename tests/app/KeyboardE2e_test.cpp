// SPDX-License-Identifier: GPL-3.0-or-later
// A whole job with the keyboard alone, against vantrel-logger-sim: from start-up a backup,
// an export of one chosen profile through the dialog, a rename, a restore, a delete and a
// changed setting, every step by key events sent to the widget that has the focus, found
// with Tab and the captions' mnemonics as a user finds them.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <algorithm>

#include "app/GuiFixture.h"
#include "app/dialogs/ExportDialog.h"
#include "app/pages/BackupPage.h"
#include "app/pages/RestoreExportPage.h"
#include "app/pages/SettingsPage.h"
#include "e2e/CliE2eSupport.h"
#include "ops/AppSettings.h"
#include "support/SimulatorProcess.h"

namespace vantrel::app::test {
namespace {

namespace fs = std::filesystem;
using vantrel::testing::SimulatorProcess;

// Where the keyboard's keys go: the focus of the modal dialog when one is open, else of
// the active window.
QWidget* Focus() {
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr) window = QApplication::activeWindow();
    return window != nullptr ? window->focusWidget() : nullptr;
}

void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    ASSERT_NE(Focus(), nullptr) << "no widget has the focus";
    QTest::keyClick(Focus(), key, modifiers);
}

void Type(const QString& text) {
    Key(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Focus(), text);
}

// Presses Tab until the focus is on `name`; false when it never gets there.
bool TabTo(const char* name) {
    for (int presses = 0; presses < 20; ++presses) {
        if (Focus() != nullptr && Focus()->objectName() == name) return true;
        Key(Qt::Key_Tab);
    }
    return false;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class KeyboardE2eTest : public GuiTest {
protected:
    ~KeyboardE2eTest() override { sheet_.reset(); }  // lets go of the port first
};

TEST_F(KeyboardE2eTest, ABackupAnExportARenameARestoreADeleteAndASettingWithKeysAlone) {
    const e2e::CliWorkspace workspace(
        {"--profiles", "2", "--readings", "10", "--sensors", "4", "--seed", "5"});
    SimulatorProcess sim({"--image", workspace.Image().string()});
    settings_.WriteString(settings::kSettings, settings::kPort, sim.linkPath());
    CMainSheet& main = MakeSheet();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    auto* status = Find<QLabel>(main.RestoreExportPage(), "statusLine");

    // Backup: Alt+N to the name, Alt+A to start.
    Key(Qt::Key_N, Qt::AltModifier);
    Type("Keyed");
    Key(Qt::Key_A, Qt::AltModifier);  // a mnemonic clicks a moment later
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(BackupFolder() / "Keyed.vbk"); }))
        << ::testing::PrintToString(prompt_.Texts());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !main.BackupPage()->IsBusy(); }));

    // Export: Alt+R to the page, Tab to the list, Alt+X; in the dialog the second profile
    // and a file name, then Return.
    Key(Qt::Key_R, Qt::AltModifier);
    ASSERT_EQ(main.ActivePage(), main.RestoreExportPage());
    ASSERT_TRUE(TabTo("backupList"));
    Key(Qt::Key_Home);
    const fs::path exportFile = folder_.path() / "keyed.csv";
    const fs::path exported = folder_.path() / "keyed (Pro02).csv";
    bool dialogSeen = false;
    WhenShown<CExportDial>([&](CExportDial& dialog) {
        dialogSeen = true;
        // A window manager activates the new dialog; the offscreen platform leaves the
        // sheet active, so the test does what the window manager would.
        QApplication::setActiveWindow(&dialog);
        ASSERT_EQ(QApplication::activeWindow(), &dialog);
        ASSERT_TRUE(TabTo("profileList"));
        Key(Qt::Key_Home);
        Key(Qt::Key_Down);
        ASSERT_TRUE(TabTo("exportFileEdit"));
        Type(QString::fromStdString(exportFile.string()));
        Key(Qt::Key_Return);
    });
    Key(Qt::Key_X, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogSeen; }));
    EXPECT_TRUE(fs::is_regular_file(exported)) << ::testing::PrintToString(prompt_.Texts());

    // Rename: F2 on the row, the new title, Return. (Back in the sheet, as the window
    // manager would activate it when the dialog closes.)
    QApplication::setActiveWindow(&main);
    ASSERT_TRUE(TabTo("backupList"));
    Key(Qt::Key_Home);
    Key(Qt::Key_F2);
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return Focus() != nullptr && Focus()->objectName() == "renameEditor"; }));
    Type("Renamed");
    Key(Qt::Key_Return);  // the rename runs once the editor has closed
    EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(BackupFolder() / "Renamed.vbk"); }));
    EXPECT_EQ(Names(BackupFolder()), std::vector<std::string>{"Renamed.vbk"});

    // Restore: Tab to the button and Enter, as on Windows (the warning is answered OK).
    ASSERT_TRUE(TabTo("backupList"));
    Key(Qt::Key_Home);
    ASSERT_TRUE(TabTo("restoreButton"));
    Key(Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return status->text().startsWith("Restored "); }, 30000))
        << status->text().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !main.RestoreExportPage()->IsBusy(); }));

    // Delete: the Delete key on the row (the question is answered Yes).
    ASSERT_TRUE(TabTo("backupList"));
    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Names(BackupFolder()), std::vector<std::string>{});

    // A setting: Alt+S to the page, Alt+U to the baud rate, Down, Alt+A to apply.
    Key(Qt::Key_S, Qt::AltModifier);
    ASSERT_EQ(main.ActivePage(), main.SettingsPage());
    Key(Qt::Key_U, Qt::AltModifier);
    auto* baud = qobject_cast<QComboBox*>(Focus());
    ASSERT_NE(baud, nullptr);
    const int before = baud->currentIndex();
    Key(before == 0 ? Qt::Key_Down : Qt::Key_Up);
    ASSERT_NE(baud->currentIndex(), before);
    Key(Qt::Key_A, Qt::AltModifier);
    QTest::qWait(300);  // the mnemonic's click
    EXPECT_EQ(settings_.GetInt(settings::kSettings, settings::kBaudRate, -1), baud->currentIndex());
}

}  // namespace
}  // namespace vantrel::app::test
