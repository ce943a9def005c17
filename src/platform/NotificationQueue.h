// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The posting seam and the message pump. Any thread may post; the thread that owns the
// link engine pumps, and every notification is delivered on that thread, in posting order.
// The GUI implements INotificationQueue on top of Qt's event queue; the CLI and the tests
// use NotificationQueue below.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <vector>

#include "platform/Clock.h"
#include "platform/Notification.h"

namespace vantrel {

class INotificationQueue {
public:
    virtual ~INotificationQueue() = default;

    // Thread-safe. Queues `notification` for `target`; a WM_INVOKE needs no target.
    virtual void Post(INotificationTarget* target, Notification notification) = 0;

    // Thread-safe. Queues one WM_SERIAL_RXCHAR for `target` per byte of `bytes`, in order:
    // the same as posting them one by one, which is what this default does. A queue may
    // wake its pumping thread once for all of them.
    virtual void PostReceived(INotificationTarget* target, std::span<const std::uint8_t> bytes,
                              std::uint32_t portNumber) {
        for (const std::uint8_t byte : bytes) Post(target, Notification::RxChar(byte, portNumber));
    }

    // Owner thread only. Delivers one pending notification (or one due timer tick) and
    // returns true; when none is pending, blocks until one arrives or `bound` passes and
    // returns false without delivering. Never spins.
    virtual bool PumpMessage(std::chrono::milliseconds bound) = 0;

    // Owner thread only. Delivers WM_TIMER(timerId) to `target` every `period` until
    // KillTimer; setting an existing timer again restarts it with the new period.
    virtual void SetTimer(INotificationTarget* target, std::uint32_t timerId,
                          std::chrono::milliseconds period) = 0;
    virtual void KillTimer(INotificationTarget* target, std::uint32_t timerId) = 0;

    // Drops everything pending for `target` and its timers (call before the target dies).
    virtual void Discard(const INotificationTarget* target) = 0;
};

// A plain thread-safe queue with timers, for the command-line tool and the tests. Its waits
// go through the clock, so a fake clock turns them into jumps of fake time.
class NotificationQueue final : public INotificationQueue {
public:
    explicit NotificationQueue(IClock& clock);

    void Post(INotificationTarget* target, Notification notification) override;
    void PostReceived(INotificationTarget* target, std::span<const std::uint8_t> bytes,
                      std::uint32_t portNumber) override;
    bool PumpMessage(std::chrono::milliseconds bound) override;
    void SetTimer(INotificationTarget* target, std::uint32_t timerId,
                  std::chrono::milliseconds period) override;
    void KillTimer(INotificationTarget* target, std::uint32_t timerId) override;
    void Discard(const INotificationTarget* target) override;

    // Delivers everything already pending without waiting; returns how many were delivered.
    std::size_t DrainPending();
    std::size_t PendingCount() const;

private:
    struct Entry {
        INotificationTarget* target;
        Notification notification;
    };
    struct Timer {
        INotificationTarget* target;
        std::uint32_t id;
        std::int64_t periodMs;
        std::int64_t dueMs;
    };

    bool TakeDue(std::unique_lock<std::mutex>& lock, Entry& out);
    static void Deliver(Entry& entry);

    IClock& clock_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Entry> pending_;
    std::vector<Timer> timers_;
};

}  // namespace vantrel
