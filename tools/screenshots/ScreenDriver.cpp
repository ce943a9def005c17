// SPDX-License-Identifier: GPL-3.0-or-later
#include "screenshots/ScreenDriver.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPushButton>

namespace vantrel::shots {

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeout.count()) return false;
        // Sleeps in the event dispatcher until something happens or 10 ms pass.
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void Pause(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(duration.count()), &loop, &QEventLoop::quit);
    loop.exec();
}

QMessageBox* VisibleMessageBox() {
    // A box opened while another is shown is the active modal widget.
    auto* top = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (top != nullptr && top->isVisible()) return top;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (box != nullptr && box->isVisible()) return box;
    }
    return nullptr;
}

MessageBoxAnswerer::MessageBoxAnswerer(std::chrono::milliseconds period) {
    timer_.callOnTimeout([this] { Check(); });
    timer_.start(static_cast<int>(period.count()));
}

MessageBoxAnswerer::~MessageBoxAnswerer() = default;

void MessageBoxAnswerer::Check() {
    QMessageBox* box = VisibleMessageBox();
    if (box == nullptr || handling_.contains(box)) return;
    // Handled from a timer of its own: Qt never fires a timer again while its handler runs,
    // and `onBox` runs the event loop (a picture, or another box) while this one is open.
    handling_.append(box);
    QTimer::singleShot(0, &timer_, [this, box = QPointer<QMessageBox>(box), raw = box] {
        Handle(box);
        handling_.removeOne(raw);
    });
}

void MessageBoxAnswerer::Handle(QPointer<QMessageBox> box) {
    if (box == nullptr) return;
    if (onBox_) onBox_(box);
    if (box == nullptr || !box->isVisible()) return;
    texts_.append(box->text());
    QAbstractButton* chosen = answer_ != QMessageBox::NoButton ? box->button(answer_) : nullptr;
    if (chosen != nullptr) {
        chosen->click();
        return;
    }
    // Escape presses the box's own escape button: Cancel, No, or a lone OK.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(box, &escape);
    // A box without a button of that role takes its default button, or its first.
    if (box != nullptr && box->isVisible()) {
        QAbstractButton* fallback = box->defaultButton();
        if (fallback == nullptr && !box->buttons().isEmpty()) fallback = box->buttons().front();
        if (fallback != nullptr) fallback->click();
    }
}

ActWhen::ActWhen(std::function<bool()> when, std::function<void()> action,
                 std::chrono::milliseconds period)
    : when_(std::move(when)), action_(std::move(action)) {
    timer_.callOnTimeout([this] {
        if (done_ || !when_()) return;
        done_ = true;
        timer_.stop();
        action_();
    });
    timer_.start(static_cast<int>(period.count()));
}

ActWhen::~ActWhen() = default;

}  // namespace vantrel::shots
