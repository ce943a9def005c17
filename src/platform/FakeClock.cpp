// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FakeClock.h"

#include <utility>

namespace vantrel {

FakeClock::FakeClock(std::int64_t startWallMs) : startWallMs_(startWallMs) {}

std::int64_t FakeClock::WallMilliseconds() const {
    std::lock_guard guard(mutex_);
    return startWallMs_ + elapsedMs_;
}

std::int64_t FakeClock::TickMilliseconds() const {
    std::lock_guard guard(mutex_);
    return elapsedMs_;
}

void FakeClock::WaitFor(std::condition_variable&, std::unique_lock<std::mutex>& lock,
                        std::chrono::milliseconds bound) {
    // Scheduled actions may post to the very queue whose lock the caller holds.
    lock.unlock();
    std::int64_t target = 0;
    {
        std::lock_guard guard(mutex_);
        target = elapsedMs_ + bound.count();
        // Stop at the first scheduled action so the pump sees what it posted at once.
        if (!scheduled_.empty() && scheduled_.begin()->first < target) {
            target = scheduled_.begin()->first;
        }
    }
    AdvanceTo(target, true);
    lock.lock();
}

void FakeClock::Sleep(std::chrono::milliseconds span) {
    std::int64_t target = 0;
    {
        std::lock_guard guard(mutex_);
        target = elapsedMs_ + span.count();
    }
    AdvanceTo(target, true);
}

void FakeClock::Advance(std::chrono::milliseconds span) {
    std::int64_t target = 0;
    {
        std::lock_guard guard(mutex_);
        target = elapsedMs_ + span.count();
    }
    AdvanceTo(target, false);
}

void FakeClock::StepWallClock(std::chrono::milliseconds step) {
    std::lock_guard guard(mutex_);
    startWallMs_ += step.count();
}

void FakeClock::Schedule(std::chrono::milliseconds delay, std::function<void()> action) {
    std::lock_guard guard(mutex_);
    scheduled_.emplace(elapsedMs_ + delay.count(), std::move(action));
}

std::int64_t FakeClock::WaitedMilliseconds() const {
    std::lock_guard guard(mutex_);
    return waitedMs_;
}

void FakeClock::AdvanceTo(std::int64_t targetMs, bool countAsWait) {
    for (;;) {
        std::function<void()> action;
        {
            std::lock_guard guard(mutex_);
            if (!scheduled_.empty() && scheduled_.begin()->first <= targetMs) {
                auto first = scheduled_.begin();
                if (first->first > elapsedMs_) {
                    if (countAsWait) waitedMs_ += first->first - elapsedMs_;
                    elapsedMs_ = first->first;
                }
                action = std::move(first->second);
                scheduled_.erase(first);
            } else {
                if (targetMs > elapsedMs_) {
                    if (countAsWait) waitedMs_ += targetMs - elapsedMs_;
                    elapsedMs_ = targetMs;
                }
                return;
            }
        }
        action();
    }
}

}  // namespace vantrel
