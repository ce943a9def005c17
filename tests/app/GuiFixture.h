// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the desktop program's tests share: a main sheet on settings in memory, special
// folders in a temporary folder and a prompt that records every message box and answers
// from a script; widgets found by their object names.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/frame/MainSheet.h"
#include "platform/FixedSpecialFolders.h"
#include "platform/MemorySettings.h"
#include "platform/RecordingPrompt.h"
#include "support/TempDir.h"

namespace vantrel::app::test {

class GuiTest : public ::testing::Test {
protected:
    GuiTest();
    ~GuiTest() override;

    // A new sheet (replacing any earlier one), shown. `ports` opens the logger's port.
    CMainSheet& MakeSheet(bool withIdTags = false,
                          SerialPortFactory ports = DefaultSerialPortFactory());
    CMainSheet& sheet() { return *sheet_; }

    // The backup folder ("Default Path"), the documents and the desktop folder.
    std::filesystem::path BackupFolder() const { return folder_.path() / "backups"; }

    vantrel::testing::TempDir folder_;
    MemorySettings settings_;
    FixedSpecialFolders folders_;
    RecordingPrompt prompt_;
    // What the Settings page finds when it lists the serial ports.
    std::vector<SerialPortListing> listedPorts_{{"ttyS0", ""}, {"ttyUSB0", "USB-Serial"}};
    std::unique_ptr<CMainSheet> sheet_;
};

// The child of `root` with object name `name`; fails the test when there is none.
template <typename Widget>
Widget* Find(QWidget* root, const char* name) {
    auto* widget = root->findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << "no " << name;
    return widget;
}

// Runs `answer` on the modal dialog of type Dialog once it is on screen (inside its exec());
// closes it when `answer` left it open, so that a failed check cannot hang the test.
template <typename Dialog>
void WhenShown(std::function<void(Dialog&)> answer, int triesLeft = 500) {
    QTimer::singleShot(10, [answer = std::move(answer), triesLeft]() mutable {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<Dialog*>(window);
            if (dialog == nullptr || !dialog->isVisible()) continue;
            answer(*dialog);
            if (dialog->isVisible()) dialog->reject();
            return;
        }
        if (triesLeft > 0) {
            WhenShown<Dialog>(std::move(answer), triesLeft - 1);
        } else {
            ADD_FAILURE() << "the dialog never showed";
        }
    });
}

}  // namespace vantrel::app::test
