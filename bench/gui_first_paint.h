// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// For the start-up benchmark: ends the program at the first paint of its window, after
// printing when it happened ("shown <seconds since the epoch>", microseconds), so the
// script can take the time from its own start of the process to the window on screen. And
// for the chart benchmarks: something done once a widget has first been painted.

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <functional>

class ExitAtFirstPaint : public QObject {
public:
    explicit ExitAtFirstPaint(QWidget* window) : window_(window) {
        window->installEventFilter(this);
        // A window that never paints fails the run instead of hanging it.
        QTimer::singleShot(30000, [] {
            std::fputs("no paint within 30 s\n", stderr);
            QApplication::exit(1);
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Paint && !shown_) {
            shown_ = true;
            const auto now = std::chrono::system_clock::now().time_since_epoch();
            std::printf("shown %.6f\n", std::chrono::duration<double>(now).count());
            std::fflush(stdout);
            QTimer::singleShot(0, [] { QApplication::exit(0); });
        }
        return false;
    }

private:
    QWidget* window_;
    bool shown_ = false;
};

// Runs `then` once, as soon as the event loop is free again after `watched`'s first paint.
class AtFirstPaint : public QObject {
public:
    AtFirstPaint(QWidget* watched, std::function<void()> then)
        : watched_(watched), then_(std::move(then)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (object == watched_ && event->type() == QEvent::Paint && !done_) {
            done_ = true;
            QTimer::singleShot(0, this, [this] { then_(); });
        }
        return false;
    }

private:
    QWidget* watched_;
    std::function<void()> then_;
    bool done_ = false;
};
