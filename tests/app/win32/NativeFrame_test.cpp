// SPDX-License-Identifier: GPL-3.0-or-later
// The main sheet as Windows itself sees it (Qt's windows platform, under wine): a frame that
// keeps its size, the system menu's commands, and a close from outside told from the user's.

#include <QApplication>
#include <QTest>
#include <algorithm>

#include "app/GuiFixture.h"
#include "app/common/Strings.h"
#include "app/frame/TerminationWatcher.h"
#include "app/pages/BackupPage.h"

// Last: its WM_ macros would rename the notification kinds of the headers above.
#include <windows.h>

namespace vantrel::app::test {
namespace {

HWND HandleOf(QWidget& window) {
    return reinterpret_cast<HWND>(window.winId());
}

// The system menu's commands in order (0 for a separator), and the text of the last one.
std::vector<UINT> MenuCommands(HWND window, std::wstring& lastText) {
    HMENU menu = GetSystemMenu(window, FALSE);
    std::vector<UINT> commands;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) commands.push_back(GetMenuItemID(menu, i));
    wchar_t text[128] = {};
    GetMenuStringW(menu, count - 1, text, 128, MF_BYPOSITION);
    lastText = text;
    return commands;
}

bool Has(const std::vector<UINT>& commands, UINT command) {
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

TEST_F(GuiTest, TheFrameKeepsItsSizeAndItsMenuOffersNoCommandThatWouldChangeIt) {
    ASSERT_EQ(QGuiApplication::platformName(), "windows");
    MakeSheet();
    const QSize fitted = sheet().size();
    const HWND window = HandleOf(sheet());
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << std::hex << style;
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION),
              WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION);
    std::wstring about;
    const std::vector<UINT> commands = MenuCommands(window, about);
    for (const UINT gone : {SC_SIZE, SC_MAXIMIZE, SC_RESTORE}) EXPECT_FALSE(Has(commands, gone));
    for (const UINT kept : {SC_MOVE, SC_MINIMIZE, SC_CLOSE}) EXPECT_TRUE(Has(commands, kept));
    // Last, after a separator: the About command.
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(std::vector<UINT>(commands.end() - 2, commands.end()),
              (std::vector<UINT>{0, 0x0010}));
    EXPECT_EQ(QString::fromStdWString(about), strings::kAboutCommand);
    // A double click on the caption, which maximises a window that can be, changes nothing.
    SendMessageW(window, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    QApplication::processEvents();
    EXPECT_FALSE(sheet().isMaximized());
    EXPECT_EQ(sheet().size(), fitted);
}

TEST_F(GuiTest, ACloseFromOutsideEndsTheProgramAndTheUsersCloseKeepsItsRules) {
    MakeSheet();
    int endedWith = -1;
    QObject::connect(&sheet(), &CMainSheet::ended,
                     [&endedWith](int status) { endedWith = status; });
    const TerminationWatcher watcher([this](int signal) { sheet().EndOnRequest(128 + signal); });
    const HWND window = HandleOf(sheet());
    CBackupPage* page = sheet().BackupPage();
    page->SetBusy(true);
    // The caption's close box and Alt+F4: refused while busy, with the message.
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    QTRY_COMPARE(prompt_.Texts().size(), std::size_t{1});
    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{strings::kCloseWhileBusy});
    EXPECT_FALSE(sheet().IsEnding());
    // `taskkill` without /F: the operation is cancelled and the program ends once it is
    // over, without a box.
    PostMessageW(window, WM_CLOSE, 0, 0);
    QTRY_VERIFY(sheet().IsEnding());
    EXPECT_TRUE(sheet().IsCancelled());
    EXPECT_EQ(watcher.Signal(), 15);
    QTest::qWait(20);
    EXPECT_EQ(endedWith, -1) << "ended while the operation still ran";
    page->SetBusy(false);
    QTRY_COMPARE(endedWith, 128 + 15);
    EXPECT_EQ(prompt_.Texts().size(), 1u);
}

}  // namespace
}  // namespace vantrel::app::test
