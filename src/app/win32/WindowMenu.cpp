// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: the command is appended to the window's system menu with AppendMenuW, and its
// WM_SYSCOMMAND is caught by a native event filter before Qt sees the message.
#include "app/frame/WindowMenu.h"

#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QObject>
#include <QWidget>

namespace vantrel::app {
namespace {

// Command numbers of the system menu must stay below 0xF000 (the system's own commands)
// and keep their low four bits clear, which Windows uses for itself.
constexpr UINT_PTR kFirstCommand = 0x0010;
UINT_PTR gNextCommand = kFirstCommand;

// Lives as a child of its window: removed from the application when the window goes.
class SystemMenuCommand final : public QObject, public QAbstractNativeEventFilter {
public:
    SystemMenuCommand(QWidget* window, HWND handle, UINT_PTR command,
                      std::function<void()> onChosen)
        : QObject(window), handle_(handle), command_(command), onChosen_(std::move(onChosen)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~SystemMenuCommand() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override {
        if (eventType != "windows_generic_MSG") return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->hwnd != handle_ || msg->message != WM_SYSCOMMAND ||
            (msg->wParam & 0xFFF0) != command_) {
            return false;
        }
        // The dialog it opens runs its own loop: leave the menu's message first.
        QMetaObject::invokeMethod(this, onChosen_, Qt::QueuedConnection);
        // The event dispatcher filters posted messages with no result to give.
        if (result != nullptr) *result = 0;
        return true;
    }

private:
    HWND handle_;
    UINT_PTR command_;
    std::function<void()> onChosen_;
};

}  // namespace

void KeepGivenSize(QWidget* window) {
    // The frame Windows draws for a dialog of fixed size: no sizing border, no Maximize.
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    if (QGuiApplication::platformName() != QLatin1String("windows")) return;
    // The menu's commands that would change the size go, as Windows would only grey them;
    // Restore too (a minimised window comes back from the task bar).
    HMENU menu = ::GetSystemMenu(reinterpret_cast<HWND>(window->winId()), FALSE);
    if (menu == nullptr) return;
    for (const UINT command : {SC_SIZE, SC_MAXIMIZE, SC_RESTORE}) {
        ::DeleteMenu(menu, command, MF_BYCOMMAND);
    }
}

bool AddToWindowMenu(QWidget* window, const QString& text, std::function<void()> onChosen) {
    if (QGuiApplication::platformName() != QLatin1String("windows")) return false;
    const auto handle = reinterpret_cast<HWND>(window->winId());
    HMENU menu = ::GetSystemMenu(handle, FALSE);
    if (menu == nullptr || gNextCommand >= 0xF000) return false;
    const UINT_PTR command = gNextCommand;
    const std::wstring wide = text.toStdWString();
    if (!::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) ||
        !::AppendMenuW(menu, MF_STRING, command, wide.c_str())) {
        return false;
    }
    gNextCommand += 0x10;
    new SystemMenuCommand(window, handle, command, std::move(onChosen));
    return true;
}

}  // namespace vantrel::app
