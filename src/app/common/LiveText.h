// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts that report what is happening (status lines, transfer lines, the progress bar,
// a page's current folder) as a screen reader should hear them: the accessible name is the
// text the user sees, a fixed word such as "Status" is the accessible description, and each
// change sends one event through the accessibility bus. A screen reader speaks such a change
// only where the focus is; what must be heard from elsewhere (an operation's steps and
// outcome) goes out through a LiveNotice, without moving the focus.
// GUI thread only.

#include <QAccessible>
#include <QObject>
#include <QString>
#include <deque>

class QLabel;
class QProgressBar;
class QWidget;

namespace vantrel::app {

// Makes `label` a live line described by `role`; its accessible name follows its text.
void MakeLiveLabel(QLabel* label, const QString& role);
// Shows `text` in `label`; a text that differs from the one shown sends one name change.
void SetLiveText(QLabel* label, const QString& text);

// Makes `bar` a live progress bar named by `role`: its accessible value is the percentage,
// and each change of it sends one value change (the bar's own).
void MakeLiveProgress(QProgressBar* bar, const QString& role);

// What screen readers are told of wherever the focus is. Each announcement is an accessible
// object of its own, of the Notification role and named by its text for as long as it lives,
// that tells the accessibility bus it appeared (one event); AT-SPI screen readers speak such
// a notification, and one that reads it late still reads what was said then. It is never
// shown, takes no focus and belongs to no layout: it hangs below the owner in the
// accessibility tree, reachable upwards only. On Windows, whose bridge in Qt 6.4 passes that
// event on to no one, the text also goes out as the window's UI Automation notification.
class LiveNotice : public QObject {
    Q_OBJECT
public:
    // A child of `owner`, below which its announcements hang.
    explicit LiveNotice(QWidget* owner);
    ~LiveNotice() override;

    // Says `text`; nothing for an empty one. Each call is heard, a repeated text too.
    void Announce(const QString& text);
    // The accessible object of the last announcement; nullptr before the first.
    QAccessibleInterface* Last() const;

private:
    QWidget* owner_;
    // The announcements that can still be read, oldest first.
    std::deque<QAccessible::Id> kept_;
};

}  // namespace vantrel::app
