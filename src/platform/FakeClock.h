// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A clock for tests. Time moves only when a pump waits, someone sleeps or the test calls
// Advance, so a 60-second hold-off test runs in milliseconds. Actions scheduled for a fake
// time (a logger answering 5 s later) run when time reaches them.

#include <functional>
#include <map>
#include <mutex>

#include "platform/Clock.h"

namespace vantrel {

class FakeClock final : public IClock {
public:
    // Starts at `startWallMs` (the default is a whole second, 2024-01-01 00:00:00 UTC).
    explicit FakeClock(std::int64_t startWallMs = 1704067200000);

    std::int64_t WallMilliseconds() const override;
    std::int64_t TickMilliseconds() const override;
    void WaitFor(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                 std::chrono::milliseconds bound) override;
    void Sleep(std::chrono::milliseconds span) override;

    // Moves time forward by `span`, running the actions that fall due on the way.
    void Advance(std::chrono::milliseconds span);

    // Sets the wall clock forward or back by `step` without moving the monotonic time, as a
    // user or a time service changing the date does.
    void StepWallClock(std::chrono::milliseconds step);

    // Runs `action` once time has moved `delay` past now. Actions run on the thread that
    // advances time, without any lock of the clock held.
    void Schedule(std::chrono::milliseconds delay, std::function<void()> action);

    // Total fake time that waits and sleeps have consumed.
    std::int64_t WaitedMilliseconds() const;

private:
    void AdvanceTo(std::int64_t targetMs, bool countAsWait);

    mutable std::mutex mutex_;
    std::int64_t startWallMs_;
    std::int64_t elapsedMs_ = 0;
    std::int64_t waitedMs_ = 0;
    std::multimap<std::int64_t, std::function<void()>> scheduled_;
};

}  // namespace vantrel
