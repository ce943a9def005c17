// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The notification queue of the desktop program, on Qt's event loop. Any thread may post;
// notifications wait in a queue of our own (so that Discard can drop them) and one posted
// Qt event at a time wakes the GUI thread to deliver them. PumpMessage, the transport's
// nested wait, lets Qt handle its own events as well (paints, clicks on Cancel, timers)
// and blocks in Qt's event dispatcher while nothing is pending: it never spins.

#include <QObject>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/NotificationQueue.h"

namespace vantrel::app {

class QtNotificationQueue final : public QObject, public INotificationQueue {
public:
    // Lives on, and delivers on, the thread that creates it (the GUI thread).
    QtNotificationQueue();
    ~QtNotificationQueue() override;

    void Post(INotificationTarget* target, Notification notification) override;
    // One wake-up for all of `bytes` (the serial port's read), not one per byte.
    void PostReceived(INotificationTarget* target, std::span<const std::uint8_t> bytes,
                      std::uint32_t portNumber) override;
    bool PumpMessage(std::chrono::milliseconds bound) override;
    void SetTimer(INotificationTarget* target, std::uint32_t timerId,
                  std::chrono::milliseconds period) override;
    void KillTimer(INotificationTarget* target, std::uint32_t timerId) override;
    void Discard(const INotificationTarget* target) override;

    // From now on PumpMessage leaves Qt's own events alone: it delivers the notifications
    // posted to this queue and waits for them on the queue itself (timers no longer tick).
    // For a process that ends while the link still has work to finish (its display gone:
    // Qt would end the process again from inside its event processing). Any thread.
    void DetachFromQt() { detached_ = true; }

    // Delivers everything already pending, without waiting; returns how many.
    std::size_t DrainPending();
    // How many notifications (timer ticks included) were delivered since the start.
    std::uint64_t DeliveredCount() const { return delivered_; }

protected:
    bool event(QEvent* event) override;

private:
    struct Entry {
        INotificationTarget* target;
        Notification notification;
    };
    // A timer may be killed from its own tick: it is stopped at once, deleted later.
    struct LaterDeleter {
        void operator()(QTimer* timer) const {
            timer->stop();
            timer->deleteLater();
        }
    };
    struct Timer {
        INotificationTarget* target;
        std::uint32_t id;
        std::unique_ptr<QTimer, LaterDeleter> timer;
    };

    // Delivers pending notifications for at most a few milliseconds, so that a stream of
    // received bytes never starves paints and input; re-arms the wake-up when some remain.
    void DeliverBatch();
    bool TakeOne(Entry& entry);
    void Deliver(const Entry& entry);
    void PostWakeUp();
    // Under the lock, after entries were added to a queue that held `before`: posts the
    // wake-up when none is on its way; true when a handful has now gathered.
    bool WakeUpFor(std::size_t before);
    // After the lock: lets a gathering wake-up go on.
    void NotifyGathered(bool enough);

    std::mutex mutex_;
    std::condition_variable gathered_;
    std::deque<Entry> pending_;
    bool wakeUpPosted_ = false;
    std::vector<Timer> timers_;
    QTimer boundTimer_;
    std::uint64_t delivered_ = 0;
    std::atomic<bool> detached_{false};
};

}  // namespace vantrel::app
