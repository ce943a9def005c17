// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SIGTERM, SIGHUP and SIGINT to the desktop program. The handler only writes the signal's
// number to a pipe (async-signal-safe); a QSocketNotifier on the pipe's read end calls
// `onRequest` on the GUI thread, whenever its event loop runs (the nested waits of an
// operation included), so the program ends by its own path: the operation cancelled as
// by its Cancel button, then the quit. A second signal ends the process at once, in the
// handler itself, with status 128 + the first signal's number: the user will not wait for
// the link to wind down, nor for a GUI thread busy writing files.
//
// On Windows there are no such signals and the watcher never calls `onRequest`.
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
    explicit TerminationWatcher(std::function<void(int)> onRequest, QObject* parent = nullptr);
    ~TerminationWatcher() override;
    TerminationWatcher(const TerminationWatcher&) = delete;
    TerminationWatcher& operator=(const TerminationWatcher&) = delete;

    // The first signal received (0: none): 128 + this number is the exit status.
    int Signal() const;

private:
    void OnReadable();

    std::function<void(int)> onRequest_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace vantrel::app
