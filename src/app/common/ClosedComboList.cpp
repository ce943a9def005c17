// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/common/ClosedComboList.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QLayout>

namespace vantrel::app {
namespace {

class ClosedListWatcher : public QObject {
public:
    ClosedListWatcher(QAbstractItemView* view, QObject* parent) : QObject(parent), view_(view) {
        Collapse();
        view->parentWidget()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide) {
            Collapse();
        } else if (event->type() == QEvent::Show) {
            // The list's window was laid out before it closed; lay it out afresh.
            if (QLayout* layout = view_->parentWidget()->layout()) {
                layout->invalidate();
                layout->activate();
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Collapse() { view_->setGeometry(0, 0, 0, 0); }

    QAbstractItemView* view_;
};

}  // namespace

void KeepClosedListUnseen(QComboBox* combo) {
    QAbstractItemView* view = combo->view();  // creates the list's window
    if (view == nullptr || view->parentWidget() == nullptr) return;
    new ClosedListWatcher(view, combo);
}

}  // namespace vantrel::app
