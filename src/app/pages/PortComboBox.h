// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Settings page's port list: a combo box that lets its page fill the list afresh just
// before the list opens, so that an adapter plugged in a moment ago is there to choose. Its
// open list shows each port with what its device is called ("COM5 — USB Serial Port"),
// the description an item holds as its data; the edit field, and the setting, keep the
// plain name.

#include <QAbstractItemView>
#include <QComboBox>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <functional>
#include <utility>

namespace vantrel::app {

class PortComboBox : public QComboBox {
public:
    explicit PortComboBox(QWidget* parent = nullptr) : QComboBox(parent) {
        setItemDelegate(new DescribedPortDelegate(this));
    }

    // Called before every opening of the list (mouse, F4, Alt+Down, accessibility).
    void SetBeforePopup(std::function<void()> beforePopup) {
        beforePopup_ = std::move(beforePopup);
    }

    // A port and its description as the open list shows and reads them out.
    static QString Label(const QString& name, const QString& description) {
        return description.isEmpty() ? name : name + QStringLiteral(" \u2014 ") + description;
    }

    void showPopup() override {
        if (beforePopup_) beforePopup_();
        // As wide as the longest description, which the box's own width would cut short.
        view()->setMinimumWidth(view()->sizeHintForColumn(0) + 2 * view()->frameWidth() +
                                view()->verticalScrollBar()->sizeHint().width());
        QComboBox::showPopup();
    }

private:
    class DescribedPortDelegate : public QStyledItemDelegate {
    public:
        using QStyledItemDelegate::QStyledItemDelegate;

    protected:
        void initStyleOption(QStyleOptionViewItem* option,
                             const QModelIndex& index) const override {
            QStyledItemDelegate::initStyleOption(option, index);
            option->text = Label(option->text, index.data(Qt::UserRole).toString());
        }
    };

    std::function<void()> beforePopup_;
};

}  // namespace vantrel::app
