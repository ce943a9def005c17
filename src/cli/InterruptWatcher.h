// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ctrl-C (SIGINT), SIGTERM and SIGHUP during a logger operation; on Windows Ctrl-C and
// Ctrl-Break (as SIGINT), the console's closing (as SIGHUP), log-off and shut-down (as
// SIGTERM). `onInterrupt` posts the cancel to the link engine's queue (the engine is touched
// on its own thread only), so the operation ends by its own path and leaves no file. On
// POSIX the signal handler only writes the signal's number to a pipe and a watching thread
// calls `onInterrupt`; on Windows the console handler's own thread calls it. A second
// signal ends the program at once with status 128 + the signal's number.

#include <atomic>
#include <functional>
#include <thread>

namespace vantrel::cli {

class InterruptWatcher {
public:
    // Installs the handlers; the previous ones are restored by the destructor.
    explicit InterruptWatcher(std::function<void()> onInterrupt);
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    bool Interrupted() const { return signal_.load() != 0; }
    // The first signal received (0: none): the exit status is 128 + this number.
    int Signal() const { return signal_.load(); }

private:
    void Watch();  // POSIX: the watching thread

    std::function<void()> onInterrupt_;
    std::atomic<int> signal_{0};
    int stopPipe_[2] = {-1, -1};  // POSIX only
    std::thread thread_;          // POSIX only
};

}  // namespace vantrel::cli
