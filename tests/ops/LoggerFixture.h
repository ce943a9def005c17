// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The backup and restore operations wired to the real link engine and the simulator's
// protocol engine in-process, on a fake clock: a logger image in memory, a page that
// records what it is told, a prompt that records its boxes.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/LinkEngine.h"
#include "ops/LoggerOperations.h"
#include "platform/DiagnosticLog.h"
#include "platform/FakeClock.h"
#include "platform/NotificationQueue.h"
#include "platform/RecordingPrompt.h"
#include "sim/LoggerEngine.h"

namespace vantrel::test {

// Logger file name -> raw bytes. The simulator lists files in name order.
using LoggerImage = std::map<std::string, std::string>;

// A queue that also records the timers the link engine sets and kills.
class TimerRecordingQueue final : public INotificationQueue {
public:
    struct TimerCall {
        bool set = false;  // false: killed
        std::uint32_t id = 0;
        std::chrono::milliseconds period{0};
    };

    explicit TimerRecordingQueue(IClock& clock) : queue_(clock) {}
    void Post(INotificationTarget* target, Notification notification) override {
        queue_.Post(target, std::move(notification));
    }
    bool PumpMessage(std::chrono::milliseconds bound) override { return queue_.PumpMessage(bound); }
    void SetTimer(INotificationTarget* target, std::uint32_t timerId,
                  std::chrono::milliseconds period) override;
    void KillTimer(INotificationTarget* target, std::uint32_t timerId) override;
    void Discard(const INotificationTarget* target) override { queue_.Discard(target); }

    std::size_t DrainPending() { return queue_.DrainPending(); }
    // Calls about the rate timer (id 100 of the link engine) only.
    std::vector<TimerCall> rateTimerCalls;
    INotificationTarget* link = nullptr;

private:
    NotificationQueue queue_;
};

// The page (or progress printer) that started an operation.
class RecordingPage final : public INotificationTarget {
public:
    void OnNotification(const Notification& notification) override;
    std::vector<std::string> StatusTexts() const;
    std::string LastStatus() const;
    bool SawStatus(const std::string& text) const;
    std::size_t RateCount() const;

    std::vector<Notification> received;
    // Runs on every delivered notification (a user pressing Cancel, say).
    std::function<void(const Notification&)> onNotification;
};

class LoggerFixture {
public:
    explicit LoggerFixture(const LoggerImage& image, sim::FaultOptions faults = {});

    // What the logger holds now.
    LoggerImage Files() const;
    // Delivers what the operation posted after its last wait.
    void Drain() { queue.DrainPending(); }
    // True when the rate timer was started with `period` and killed again at the end.
    bool RateTimerRanFor(std::chrono::milliseconds period) const;

    int completionSignals = 0;  // beeps of the front end
    FakeClock clock;
    TimerRecordingQueue queue{clock};
    RecordingPrompt prompt;
    RecordingDiagnosticLog log;
    sim::LoggerEngine logger;
    CLinkEngine link;
    RecordingPage page;
    CLoggerOperations ops;
};

// Hexadecimal text of raw bytes, as the link carries a file.
std::string Hex(std::string_view bytes);
// The raw bytes of hexadecimal text.
std::string Bytes(std::string_view hex);

// The image as the backup sees it: names in listing order and their hex texts.
struct HexListing {
    std::vector<std::string> names;
    std::vector<std::string> contents;
};
HexListing ListingOf(const LoggerImage& image);

// A logger image with both soil tables, the device configuration, a complete profile 01,
// a profile 02 without data, a data file 05 without configuration, "PRODUCTS.GR" and a
// zero-size file late in the list.
LoggerImage FullImage();

}  // namespace vantrel::test
