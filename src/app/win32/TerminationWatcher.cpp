// SPDX-License-Identifier: GPL-3.0-or-later
// Windows sends a windowed program no signals. What ends it from outside is a WM_CLOSE that
// none of its windows asked for: `taskkill` without /F posts one to each of its top-level
// windows, Task Manager's End task sends one from its own thread. The user's own close (the
// caption's close box, Alt+F4, the system menu) is the system command SC_CLOSE, which the
// window's default handling turns into a WM_CLOSE sent by the window's own thread. A native
// event filter tells them apart: Qt's event loop filters the messages it takes from the
// queue with no result to give, its window procedure those sent to the window with one.
// The end of the session comes as WM_QUERYENDSESSION (Qt's commitDataRequest), then
// WM_ENDSESSION, after which the system ends the process.
#include "app/frame/TerminationWatcher.h"

#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

namespace vantrel::app {
namespace {

// SIGTERM's number, which the POSIX program gets from `kill` and `taskkill` stands for.
constexpr int kSigTerm = 15;

// A WM_CLOSE that the program's own thread did not send.
bool FromOutside(const qintptr* result) {
    if (result == nullptr) return true;  // posted: taken from the queue by the event loop
    return (InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_NOTIFY | ISMEX_CALLBACK)) != 0;
}

// Lives as a child of its watcher: removed from the application when the watcher goes.
class CloseFilter final : public QObject, public QAbstractNativeEventFilter {
public:
    CloseFilter(QObject* watcher, std::function<void()> onRequest,
                std::function<void()> onSessionEnd)
        : QObject(watcher),
          onRequest_(std::move(onRequest)),
          onSessionEnd_(std::move(onSessionEnd)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~CloseFilter() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override {
        if (eventType != "windows_generic_MSG") return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->hwnd == nullptr || GetAncestor(msg->hwnd, GA_ROOT) != msg->hwnd) return false;
        if (msg->message == WM_ENDSESSION) {
            if (msg->wParam != FALSE && onSessionEnd_) onSessionEnd_();
            return false;  // then Qt's own handling: aboutToQuit
        }
        // The user's close keeps the window's own rules.
        if (msg->message != WM_CLOSE || !FromOutside(result)) return false;
        onRequest_();
        if (result != nullptr) *result = 0;
        return true;
    }

private:
    std::function<void()> onRequest_;
    std::function<void()> onSessionEnd_;
};

int gSignal = 0;

}  // namespace

TerminationWatcher::TerminationWatcher(std::function<void(int)> onRequest,
                                       std::function<void()> onSessionEnd, QObject* parent)
    : QObject(parent), onRequest_(std::move(onRequest)), onSessionEnd_(std::move(onSessionEnd)) {
    gSignal = 0;
    new CloseFilter(
        this,
        [this] {
            if (gSignal == 0) gSignal = kSigTerm;
            onRequest_(kSigTerm);
        },
        onSessionEnd_);
}

TerminationWatcher::~TerminationWatcher() = default;

int TerminationWatcher::Signal() const {
    return gSignal;
}

void TerminationWatcher::OnReadable() {}

}  // namespace vantrel::app
