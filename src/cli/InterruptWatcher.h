#pragma once
// Ctrl-C during a logger operation. The signal handler only writes a byte to a pipe; a
// watching thread reads it and calls `onInterrupt` (which posts the cancel to the link
// engine's queue: the engine is touched on its own thread only). A second Ctrl-C ends
// the program at once with status 130.

#include <atomic>
#include <functional>
#include <thread>

namespace vantrel::cli {

class InterruptWatcher {
public:
    // Installs the SIGINT handler; the previous one is restored by the destructor.
    explicit InterruptWatcher(std::function<void()> onInterrupt);
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    bool Interrupted() const { return interrupted_.load(); }

private:
    void Watch();

    std::function<void()> onInterrupt_;
    std::atomic<bool> interrupted_{false};
    int stopPipe_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace vantrel::cli
