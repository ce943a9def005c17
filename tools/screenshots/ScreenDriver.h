// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drives the desktop program's windows from inside its own process, as a user would, for
// the screenshot tool: widgets found by object name among every top-level window, waits
// that keep the event loop running, and timers that act while a button's handler runs its
// own nested wait (a backup inside Backup's click). Everything here runs on the GUI thread.

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>

namespace vantrel::shots {

// The first widget of type `W` named `name` in any top-level window (the window itself
// included); null when there is none.
template <typename W>
W* FindWidget(const QString& name) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* widget = qobject_cast<W*>(window);
            widget != nullptr && window->objectName() == name)
            return widget;
        if (auto* widget = window->findChild<W*>(name)) return widget;
    }
    return nullptr;
}

// Runs the event loop until `done` holds (checked every few milliseconds) or `timeout`
// passes. True when `done` held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// Runs the event loop for `duration`.
void Pause(std::chrono::milliseconds duration);

// The visible message box that is shown on top, or null.
QMessageBox* VisibleMessageBox();

// Answers message boxes as they appear: a timer looks for a visible QMessageBox among the
// top-level widgets, shows it to `onBox` (which may take its picture), records its text and
// presses the box's escape button (Cancel, No or the only OK) unless told otherwise. The
// timer also fires inside the nested event loop of QMessageBox::exec, which is where the box
// waits, and inside `onBox`, so a box opened meanwhile is answered too.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(std::chrono::milliseconds period = std::chrono::milliseconds(40));
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    // The button pressed from now on when a box has it; NoButton: the escape button.
    void SetAnswer(QMessageBox::StandardButton answer) { answer_ = answer; }
    void SetOnBox(std::function<void(QMessageBox*)> onBox) { onBox_ = std::move(onBox); }
    // The texts of the boxes answered so far, in order.
    const QStringList& Texts() const { return texts_; }

private:
    void Check();
    void Handle(QPointer<QMessageBox> box);

    QTimer timer_;
    QMessageBox::StandardButton answer_ = QMessageBox::NoButton;
    std::function<void(QMessageBox*)> onBox_;
    QStringList texts_;
    QList<const QMessageBox*> handling_;
};

// Calls `action` once, from a timer, the first time `when` holds: a picture taken half way
// through a backup, a dialog answered while its exec() runs. Checking stops after the action
// or when the object goes.
class ActWhen {
public:
    ActWhen(std::function<bool()> when, std::function<void()> action,
            std::chrono::milliseconds period = std::chrono::milliseconds(20));
    ~ActWhen();
    ActWhen(const ActWhen&) = delete;
    ActWhen& operator=(const ActWhen&) = delete;

    bool Done() const { return done_; }

private:
    QTimer timer_;
    std::function<bool()> when_;
    std::function<void()> action_;
    bool done_ = false;
};

}  // namespace vantrel::shots
