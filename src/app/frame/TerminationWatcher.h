// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Requests from outside to end the desktop program. `onRequest` is called on the GUI thread
// whenever its event loop runs (the nested waits of an operation included), so the program
// ends by its own path: the operation cancelled, as by its Cancel button, then the quit.
//
// POSIX: SIGTERM, SIGHUP and SIGINT. The handler only writes the signal's number to a pipe
// (async-signal-safe); a QSocketNotifier on the pipe's read end calls `onRequest`. A second
// signal ends the process at once, in the handler itself, with status 128 + the first
// signal's number: the user will not wait for the link to wind down, nor for a GUI thread
// busy writing files. The end of the session comes as Qt's commitDataRequest, and the loss
// of the display as exit() (CMainSheet::EndAtProcessExit).
//
// Windows: a WM_CLOSE that the program's windows did not ask for themselves (`taskkill`
// without /F, Task Manager's End task, another program) counts as SIGTERM. The user's close
// (the caption's close box, Alt+F4, the system menu's Close: SC_CLOSE) keeps the window's
// own rules. At the end of the session (WM_ENDSESSION) the system ends the process as soon
// as the message returns: `onSessionEnd` is called first, to wind down what cannot wait.
//
// One watcher at a time; create and destroy it on the GUI thread.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace vantrel::app {

class TerminationWatcher final : public QObject {
public:
    // Installs the handlers; the destructor restores the previous ones. `onRequest` gets
    // the signal's number. Throws std::runtime_error when no pipe can be had.
    explicit TerminationWatcher(std::function<void(int)> onRequest,
                                std::function<void()> onSessionEnd = {}, QObject* parent = nullptr);
    ~TerminationWatcher() override;
    TerminationWatcher(const TerminationWatcher&) = delete;
    TerminationWatcher& operator=(const TerminationWatcher&) = delete;

    // The first signal received (0: none): 128 + this number is the exit status.
    int Signal() const;

private:
    void OnReadable();  // POSIX

    std::function<void(int)> onRequest_;
    std::function<void()> onSessionEnd_;
    QSocketNotifier* notifier_ = nullptr;  // POSIX
};

}  // namespace vantrel::app
