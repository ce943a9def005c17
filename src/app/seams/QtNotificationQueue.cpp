// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/seams/QtNotificationQueue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <algorithm>

namespace vantrel::app {
namespace {

const QEvent::Type kWakeUpEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Longest stretch of deliveries before Qt gets its turn again.
constexpr qint64 kBatchMilliseconds = 8;

// Received bytes arrive one notification each, about every 0.26 ms at 38400 baud. Waiting a
// moment for a few to gather wakes the GUI thread once per handful instead of once per
// byte; the wait is short against the line's time for a reply.
constexpr std::size_t kGather = 8;
constexpr std::chrono::microseconds kGatherWait{1500};

}  // namespace

QtNotificationQueue::QtNotificationQueue() {
    boundTimer_.setSingleShot(true);
}

QtNotificationQueue::~QtNotificationQueue() {
    QCoreApplication::removePostedEvents(this, kWakeUpEvent);
}

void QtNotificationQueue::Post(INotificationTarget* target, Notification notification) {
    bool enough = false;
    {
        std::lock_guard guard(mutex_);
        const std::size_t before = pending_.size();
        pending_.push_back(Entry{target, std::move(notification)});
        enough = WakeUpFor(before);
    }
    NotifyGathered(enough);
}

void QtNotificationQueue::PostReceived(INotificationTarget* target,
                                       std::span<const std::uint8_t> bytes,
                                       std::uint32_t portNumber) {
    if (bytes.empty()) return;
    bool enough = false;
    {
        std::lock_guard guard(mutex_);
        const std::size_t before = pending_.size();
        for (const std::uint8_t byte : bytes) {
            pending_.push_back(Entry{target, Notification::RxChar(byte, portNumber)});
        }
        enough = WakeUpFor(before);
    }
    NotifyGathered(enough);
}

bool QtNotificationQueue::WakeUpFor(std::size_t before) {
    if (!wakeUpPosted_) PostWakeUp();
    return before < kGather && pending_.size() >= kGather;
}

void QtNotificationQueue::NotifyGathered(bool enough) {
    // Woken once when a handful has gathered, not at every byte; detached from Qt, at once.
    if (enough || detached_) gathered_.notify_one();
}

void QtNotificationQueue::PostWakeUp() {
    wakeUpPosted_ = true;
    QCoreApplication::postEvent(this, new QEvent(kWakeUpEvent));
}

bool QtNotificationQueue::event(QEvent* event) {
    if (event->type() != kWakeUpEvent) return QObject::event(event);
    {
        std::unique_lock lock(mutex_);
        gathered_.wait_for(lock, kGatherWait, [this] { return pending_.size() >= kGather; });
        wakeUpPosted_ = false;
    }
    DeliverBatch();
    return true;
}

void QtNotificationQueue::DeliverBatch() {
    QElapsedTimer spent;
    spent.start();
    Entry entry{nullptr, {}};
    while (TakeOne(entry)) {
        Deliver(entry);
        if (spent.elapsed() >= kBatchMilliseconds) {
            std::lock_guard guard(mutex_);
            if (!pending_.empty() && !wakeUpPosted_) PostWakeUp();
            return;
        }
    }
}

bool QtNotificationQueue::TakeOne(Entry& entry) {
    std::lock_guard guard(mutex_);
    if (pending_.empty()) return false;
    entry = std::move(pending_.front());
    pending_.pop_front();
    return true;
}

void QtNotificationQueue::Deliver(const Entry& entry) {
    ++delivered_;
    if (entry.notification.kind == NotificationKind::WM_INVOKE) {
        if (entry.notification.call) entry.notification.call();
        return;
    }
    if (entry.target != nullptr) entry.target->OnNotification(entry.notification);
}

bool QtNotificationQueue::PumpMessage(std::chrono::milliseconds bound) {
    const std::uint64_t before = delivered_;
    if (detached_) {
        if (DrainPending() > 0 || bound.count() <= 0) return delivered_ != before;
        {
            std::unique_lock lock(mutex_);
            gathered_.wait_for(lock, bound, [this] { return !pending_.empty(); });
        }
        DrainPending();
        return delivered_ != before;
    }
    // Qt's turn first: paints, input and our own wake-up event, without waiting.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (delivered_ != before || bound.count() <= 0) return delivered_ != before;
    // Nothing came: sleep in the event dispatcher until an event or the bound.
    boundTimer_.start(static_cast<int>(std::min<std::int64_t>(bound.count(), INT32_MAX)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    boundTimer_.stop();
    return delivered_ != before;
}

std::size_t QtNotificationQueue::DrainPending() {
    std::size_t count = 0;
    Entry entry{nullptr, {}};
    while (TakeOne(entry)) {
        Deliver(entry);
        ++count;
    }
    return count;
}

void QtNotificationQueue::SetTimer(INotificationTarget* target, std::uint32_t timerId,
                                   std::chrono::milliseconds period) {
    const int periodMs = static_cast<int>(std::clamp<std::int64_t>(period.count(), 1, INT32_MAX));
    for (Timer& timer : timers_) {
        if (timer.target == target && timer.id == timerId) {
            timer.timer->start(periodMs);
            return;
        }
    }
    std::unique_ptr<QTimer, LaterDeleter> timer(new QTimer);
    timer->callOnTimeout([this, target, timerId] {
        Deliver(Entry{target, Notification::Timer(timerId)});
    });
    timer->start(periodMs);
    timers_.push_back(Timer{target, timerId, std::move(timer)});
}

void QtNotificationQueue::KillTimer(INotificationTarget* target, std::uint32_t timerId) {
    std::erase_if(
        timers_, [&](const Timer& timer) { return timer.target == target && timer.id == timerId; });
}

void QtNotificationQueue::Discard(const INotificationTarget* target) {
    {
        std::lock_guard guard(mutex_);
        std::erase_if(pending_, [&](const Entry& entry) { return entry.target == target; });
    }
    std::erase_if(timers_, [&](const Timer& timer) { return timer.target == target; });
}

}  // namespace vantrel::app
