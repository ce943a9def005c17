// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/common/LiveText.h"

#include <QAccessible>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QWidget>
#include <QWindow>
#include <utility>

#include "app/common/SystemNotice.h"

namespace vantrel::app {
namespace {

// How many announcements stay readable: a screen reader that falls behind (its queue of
// events fills during a transfer) may read one after several newer ones went out.
constexpr std::size_t kKeptNotices = 16;

// One announcement: a notification below `owner`, named by its text for as long as it lives.
class NoticeAccessible final : public QAccessibleInterface {
public:
    NoticeAccessible(QWidget* owner, QString text) : owner_(owner), text_(std::move(text)) {}

    bool isValid() const override { return !owner_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return owner_ ? owner_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return owner_ ? QAccessible::queryAccessibleInterface(owner_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? text_ : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = true;
        state.offscreen = true;
        return state;
    }

private:
    QPointer<QWidget> owner_;
    QString text_;
};

}  // namespace

void MakeLiveLabel(QLabel* label, const QString& role) {
    // No fixed accessible name: the label's own text is its name.
    label->setAccessibleName(QString());
    label->setAccessibleDescription(role);
}

void SetLiveText(QLabel* label, const QString& text) {
    // A label without a fixed accessible name reports the change of its text itself.
    if (label->text() != text) label->setText(text);
}

void MakeLiveProgress(QProgressBar* bar, const QString& role) {
    bar->setAccessibleName(role);
    bar->setAccessibleDescription(QString());
}

LiveNotice::LiveNotice(QWidget* owner) : QObject(owner), owner_(owner) {}

LiveNotice::~LiveNotice() {
    for (const QAccessible::Id id : kept_) QAccessible::deleteAccessibleInterface(id);
}

void LiveNotice::Announce(const QString& text) {
    if (text.isEmpty()) return;
    auto* notice = new NoticeAccessible(owner_, text);
    kept_.push_back(QAccessible::registerAccessibleInterface(notice));
    // An appearing notification is what AT-SPI screen readers speak when it is not focused.
    QAccessibleEvent event(notice, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&event);
    if (kept_.size() > kKeptNotices) {
        QAccessible::deleteAccessibleInterface(kept_.front());
        kept_.pop_front();
    }
    RaiseSystemNotice(owner_->window(), text);
}

QAccessibleInterface* LiveNotice::Last() const {
    return kept_.empty() ? nullptr : QAccessible::accessibleInterface(kept_.back());
}

}  // namespace vantrel::app
