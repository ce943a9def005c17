// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NotificationQueue.h"

#include <algorithm>
#include <utility>

namespace vantrel {

NotificationQueue::NotificationQueue(IClock& clock) : clock_(clock) {}

void NotificationQueue::Post(INotificationTarget* target, Notification notification) {
    {
        std::lock_guard guard(mutex_);
        pending_.push_back(Entry{target, std::move(notification)});
    }
    arrived_.notify_one();
}

void NotificationQueue::PostReceived(INotificationTarget* target,
                                     std::span<const std::uint8_t> bytes,
                                     std::uint32_t portNumber) {
    if (bytes.empty()) return;
    {
        std::lock_guard guard(mutex_);
        for (const std::uint8_t byte : bytes) {
            pending_.push_back(Entry{target, Notification::RxChar(byte, portNumber)});
        }
    }
    arrived_.notify_one();
}

bool NotificationQueue::PumpMessage(std::chrono::milliseconds bound) {
    Entry entry{nullptr, {}};
    {
        std::unique_lock lock(mutex_);
        if (!TakeDue(lock, entry)) {
            // Wake no later than the next timer, so ticks are not held up by the bound.
            std::int64_t waitMs = bound.count();
            const std::int64_t now = clock_.TickMilliseconds();
            for (const Timer& timer : timers_) {
                waitMs = std::min(waitMs, std::max<std::int64_t>(0, timer.dueMs - now));
            }
            if (waitMs > 0) clock_.WaitFor(arrived_, lock, std::chrono::milliseconds(waitMs));
            if (!TakeDue(lock, entry)) return false;
        }
    }
    Deliver(entry);
    return true;
}

bool NotificationQueue::TakeDue(std::unique_lock<std::mutex>&, Entry& out) {
    if (!pending_.empty()) {
        out = std::move(pending_.front());
        pending_.pop_front();
        return true;
    }
    const std::int64_t now = clock_.TickMilliseconds();
    for (Timer& timer : timers_) {
        if (timer.dueMs <= now) {
            // A late tick is delivered once; missed periods are not caught up.
            timer.dueMs = now + timer.periodMs;
            out = Entry{timer.target, Notification::Timer(timer.id)};
            return true;
        }
    }
    return false;
}

void NotificationQueue::Deliver(Entry& entry) {
    if (entry.notification.kind == NotificationKind::WM_INVOKE) {
        if (entry.notification.call) entry.notification.call();
        return;
    }
    if (entry.target != nullptr) entry.target->OnNotification(entry.notification);
}

void NotificationQueue::SetTimer(INotificationTarget* target, std::uint32_t timerId,
                                 std::chrono::milliseconds period) {
    std::lock_guard guard(mutex_);
    const std::int64_t periodMs = std::max<std::int64_t>(1, period.count());
    const std::int64_t due = clock_.TickMilliseconds() + periodMs;
    for (Timer& timer : timers_) {
        if (timer.target == target && timer.id == timerId) {
            timer.periodMs = periodMs;
            timer.dueMs = due;
            return;
        }
    }
    timers_.push_back(Timer{target, timerId, periodMs, due});
}

void NotificationQueue::KillTimer(INotificationTarget* target, std::uint32_t timerId) {
    std::lock_guard guard(mutex_);
    std::erase_if(
        timers_, [&](const Timer& timer) { return timer.target == target && timer.id == timerId; });
}

void NotificationQueue::Discard(const INotificationTarget* target) {
    std::lock_guard guard(mutex_);
    std::erase_if(pending_, [&](const Entry& entry) { return entry.target == target; });
    std::erase_if(timers_, [&](const Timer& timer) { return timer.target == target; });
}

std::size_t NotificationQueue::DrainPending() {
    std::size_t delivered = 0;
    while (PumpMessage(std::chrono::milliseconds(0))) ++delivered;
    return delivered;
}

std::size_t NotificationQueue::PendingCount() const {
    std::lock_guard guard(mutex_);
    return pending_.size();
}

}  // namespace vantrel
