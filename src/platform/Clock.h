// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Time for the link: wall-clock whole seconds for the transport's time-out, milliseconds
// for the transfer rate and the timers, and the one way the message pump waits.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace vantrel {

class IClock {
public:
    virtual ~IClock() = default;

    // Wall-clock time in milliseconds since the epoch.
    virtual std::int64_t WallMilliseconds() const = 0;

    // Wall-clock whole seconds (the transport's time-out counts these).
    std::int64_t WallSeconds() const;

    // Monotonic milliseconds for rates and timers.
    virtual std::int64_t TickMilliseconds() const = 0;

    // Called by a message pump with `lock` held on the mutex that guards its queue: waits
    // until `wake` is notified or `bound` passes. The system clock blocks the thread; a fake
    // clock advances fake time instead (and may run actions scheduled in that span).
    virtual void WaitFor(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                         std::chrono::milliseconds bound) = 0;

    // Sleeps the calling thread for `span` (fake clock: advances fake time).
    virtual void Sleep(std::chrono::milliseconds span) = 0;
};

class SystemClock final : public IClock {
public:
    std::int64_t WallMilliseconds() const override;
    std::int64_t TickMilliseconds() const override;
    void WaitFor(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                 std::chrono::milliseconds bound) override;
    void Sleep(std::chrono::milliseconds span) override;
};

}  // namespace vantrel
