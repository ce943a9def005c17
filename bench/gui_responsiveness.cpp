// SPDX-License-Identifier: GPL-3.0-or-later
// gui_responsiveness: how well the desktop program's GUI thread keeps handling its own
// events while the link's nested wait (PumpMessage) runs on it and the serial monitor's
// received bytes arrive through the notification queue.
//
//     gui_responsiveness [--seconds S] [--baud B]      (defaults 4 s, 38400 baud)
//
// Three runs on one QApplication (offscreen unless QT_QPA_PLATFORM says otherwise):
//  stream  another thread posts WM_SERIAL_RXCHAR at B/10 bytes a second, a few every
//          millisecond as the monitor reads them, while the GUI thread loops PumpMessage
//          as the transport's wait does; a 5 ms timer ticks and a second thread posts a
//          stand-in input event every 5 ms. Longest gap between ticks, longest input delay.
//  burst   64 KiB of received bytes posted at once (a line that was read late), the same
//          measures while the queue drains.
//  idle    nothing posted, no timer: the wait must sleep. CPU time of the process against
//          the wall time, and how often the pump returned.
// The aim: no gap above 50 ms; idle CPU near zero.

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/seams/QtNotificationQueue.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kAimMilliseconds = 50.0;
constexpr int kTickMilliseconds = 5;

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// What the link engine does with a received byte, reduced to keeping it.
class ByteSink final : public vantrel::INotificationTarget {
public:
    void OnNotification(const vantrel::Notification& notification) override {
        if (notification.kind != vantrel::NotificationKind::WM_SERIAL_RXCHAR) return;
        last_ = static_cast<char>(notification.value);
        ++bytes_;
    }
    std::uint64_t bytes() const { return bytes_; }

private:
    std::uint64_t bytes_ = 0;
    char last_ = 0;
};

// Stand-in for input from the window system: posted from another thread with its time.
const QEvent::Type kInputEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class InputEvent : public QEvent {
public:
    InputEvent() : QEvent(kInputEvent), posted(Clock::now()) {}
    Clock::time_point posted;
};

class InputReceiver : public QObject {
public:
    Clock::duration longestDelay{};
    int handled = 0;

protected:
    bool event(QEvent* event) override {
        if (event->type() != kInputEvent) return QObject::event(event);
        longestDelay =
            std::max(longestDelay, Clock::now() - static_cast<InputEvent*>(event)->posted);
        ++handled;
        return true;
    }
};

// The gaps between the GUI thread's timer ticks.
class TickRecorder {
public:
    TickRecorder() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.callOnTimeout([this] {
            const Clock::time_point now = Clock::now();
            if (last_ != Clock::time_point{}) gaps_.push_back(now - last_);
            last_ = now;
        });
    }
    void Start() {
        gaps_.clear();
        last_ = {};
        timer_.start(kTickMilliseconds);
    }
    void Stop() { timer_.stop(); }
    Clock::duration Longest() const {
        return gaps_.empty() ? Clock::duration{} : *std::max_element(gaps_.begin(), gaps_.end());
    }
    Clock::duration Percentile(double fraction) const {
        if (gaps_.empty()) return {};
        std::vector<Clock::duration> sorted = gaps_;
        std::sort(sorted.begin(), sorted.end());
        return sorted[static_cast<size_t>(fraction * static_cast<double>(sorted.size() - 1))];
    }
    size_t Ticks() const { return gaps_.size(); }

private:
    QTimer timer_;
    std::vector<Clock::duration> gaps_;
    Clock::time_point last_{};
};

// The transport's wait: PumpMessage up to the next whole second, until `end`.
int PumpUntil(vantrel::app::QtNotificationQueue& queue, Clock::time_point end) {
    int returns = 0;
    const Clock::time_point origin = Clock::now();
    while (Clock::now() < end) {
        const auto intoSecond =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - origin) % 1000;
        queue.PumpMessage(std::min(
            1000ms - intoSecond,
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()) + 1ms));
        ++returns;
    }
    return returns;
}

struct RunResult {
    Clock::duration longestGap{};
    Clock::duration p99Gap{};
    Clock::duration longestInputDelay{};
    size_t ticks = 0;
    int inputs = 0;
    std::uint64_t bytes = 0;
    std::uint64_t posted = 0;
};

// Runs the GUI side for `duration` while `produce` posts from its own thread and returns
// how many bytes it posted.
template <typename Producer>
RunResult Measure(vantrel::app::QtNotificationQueue& queue, ByteSink& sink,
                  Clock::duration duration, Producer produce) {
    InputReceiver receiver;
    TickRecorder ticks;
    const std::uint64_t bytesBefore = sink.bytes();
    std::atomic<bool> stop{false};
    ticks.Start();
    std::thread input([&] {
        Clock::time_point next = Clock::now();
        while (!stop.load()) {
            next += std::chrono::milliseconds(kTickMilliseconds);
            std::this_thread::sleep_until(next);
            QCoreApplication::postEvent(&receiver, new InputEvent);
        }
    });
    const Clock::time_point end = Clock::now() + duration;
    std::uint64_t posted = 0;
    std::thread producer([&] { posted = produce(end); });
    PumpUntil(queue, end);
    stop = true;
    producer.join();
    input.join();
    ticks.Stop();
    // What was posted last is delivered before the count is taken.
    QCoreApplication::sendPostedEvents(&receiver, kInputEvent);
    queue.DrainPending();
    return {ticks.Longest(), ticks.Percentile(0.99), receiver.longestDelay,
            ticks.Ticks(),   receiver.handled,       sink.bytes() - bytesBefore,
            posted};
}

void Print(const char* name, const RunResult& result) {
    const double longest = Ms(result.longestGap);
    const double input = Ms(result.longestInputDelay);
    const double worst = std::max(longest, input);
    std::printf(
        "%-6s %6llu of %6llu bytes delivered; %5zu ticks: longest gap %6.2f ms (p99 %5.2f ms), "
        "longest input delay %6.2f ms over %d events: %.2fx the %.0f ms aim%s\n",
        name, static_cast<unsigned long long>(result.bytes),
        static_cast<unsigned long long>(result.posted), result.ticks, longest, Ms(result.p99Gap),
        input, result.inputs, worst / kAimMilliseconds, kAimMilliseconds,
        worst <= kAimMilliseconds ? "" : "  ABOVE THE AIM");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    double seconds = 4;
    int baud = 38400;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::stod(argv[i + 1]);
        if (std::strcmp(argv[i], "--baud") == 0) baud = std::stoi(argv[i + 1]);
    }
    QApplication application(argc, argv);
    // A window that repaints as bytes arrive, so paints are part of what the thread does.
    QLabel window;
    window.resize(320, 80);
    window.show();
    vantrel::app::QtNotificationQueue queue;
    ByteSink sink;
    QTimer repaint;
    repaint.callOnTimeout([&] { window.setText(QString("%1 bytes received").arg(sink.bytes())); });
    repaint.start(100);

    const auto duration =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    const double bytesPerSecond = baud / 10.0;

    // The monitor thread reads what arrived since its last read, about every millisecond.
    const RunResult stream = Measure(queue, sink, duration, [&](Clock::time_point end) {
        const Clock::time_point start = Clock::now();
        std::uint64_t posted = 0;
        while (Clock::now() < end) {
            std::this_thread::sleep_for(1ms);
            const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            const auto due = static_cast<std::uint64_t>(elapsed * bytesPerSecond);
            for (; posted < due; ++posted) {
                queue.Post(&sink, vantrel::Notification::RxChar(
                                      static_cast<std::uint8_t>('0' + posted % 10), 1));
            }
        }
        return posted;
    });
    std::printf("baud %d (%.0f bytes/s), %.1f s a run, GUI timer every %d ms\n", baud,
                bytesPerSecond, seconds, kTickMilliseconds);
    Print("stream", stream);

    constexpr std::uint64_t kBurst = 64 * 1024;
    const RunResult burst =
        Measure(queue, sink, std::min(duration, Clock::duration(2s)), [&](Clock::time_point) {
            for (std::uint64_t i = 0; i < kBurst; ++i) {
                queue.Post(&sink, vantrel::Notification::RxChar(static_cast<std::uint8_t>(i), 1));
            }
            return kBurst;
        });
    Print("burst", burst);

    // Idle: nothing posted and no timers of ours, only the wait.
    repaint.stop();
    QCoreApplication::processEvents();
    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const int returns = PumpUntil(queue, Clock::now() + duration);
    const double wallSeconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const double cpu = CpuSeconds() - cpuBefore;
    std::printf(
        "idle   CPU %.4f s over %.2f s wall (%.3f%% of one core); the wait returned %d times "
        "(%.1f a second)%s\n",
        cpu, wallSeconds, 100.0 * cpu / wallSeconds, returns, returns / wallSeconds,
        cpu / wallSeconds < 0.01 ? "" : "  SPINS");
    return 0;
}
