// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl-C, Ctrl-Break and the console's closing on Windows. The system calls the console
// handler on a thread of its own, so it calls `onInterrupt` itself (no watching thread). The
// statuses follow the POSIX tool's: Ctrl-C and Ctrl-Break as SIGINT (130), closing the
// console as SIGHUP (129), log-off and shut-down as SIGTERM (143).
#include "cli/InterruptWatcher.h"

#include <io.h>
#include <windows.h>

#include <cstdlib>
#include <mutex>

namespace vantrel::cli {
namespace {

// The shell's numbers of the signals the events stand for.
constexpr int kSigHup = 1;
constexpr int kSigInt = 2;
constexpr int kSigTerm = 15;

// The handler has no argument of its own: the one watcher at a time is reached from here,
// under the lock, so that a watcher ending meanwhile is never called.
std::mutex gLock;
std::function<void()>* gOnInterrupt = nullptr;
std::atomic<int>* gSignal = nullptr;
// Set when the watcher ends: the operation wound down, so a closing console may go.
HANDLE gFinished = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    int signal = kSigInt;
    if (event == CTRL_CLOSE_EVENT) signal = kSigHup;
    if (event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) signal = kSigTerm;
    HANDLE finished = nullptr;
    {
        const std::lock_guard<std::mutex> lock(gLock);
        if (gOnInterrupt == nullptr) return FALSE;  // the default: end the program
        int first = 0;
        if (!gSignal->compare_exchange_strong(first, signal)) {
            // The second event: the user will not wait for the link to wind down.
            static constexpr char kText[] = "\nvantrel: interrupted\n";
            [[maybe_unused]] const int shown = ::_write(2, kText, sizeof kText - 1);
            std::_Exit(128 + first);
        }
        (*gOnInterrupt)();
        finished = gFinished;
    }
    // After a close, log-off or shut-down event returns, the system ends the process (within
    // five seconds in any case): wait for the operation to wind down and leave no file.
    if (signal != kSigInt && finished != nullptr) WaitForSingleObject(finished, 4500);
    return TRUE;
}

}  // namespace

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt)
    : onInterrupt_(std::move(onInterrupt)) {
    {
        const std::lock_guard<std::mutex> lock(gLock);
        if (gFinished != nullptr) CloseHandle(gFinished);  // an earlier watcher's, long set
        gFinished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        gSignal = &signal_;
        gOnInterrupt = &onInterrupt_;
    }
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptWatcher::~InterruptWatcher() {
    {
        const std::lock_guard<std::mutex> lock(gLock);
        gOnInterrupt = nullptr;
        gSignal = nullptr;
        if (gFinished != nullptr) SetEvent(gFinished);  // a handler still waiting lets the end come
    }
    // Only then: the system may hold its lock of the handlers while a handler runs, so
    // removing ours before the waiting handler was let go would wait out its whole wait.
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
}

}  // namespace vantrel::cli
