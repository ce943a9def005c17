// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/TitleEditDelegate.h"

#include <QLineEdit>

#include "frontend/ShownTitle.h"

namespace vantrel::app {

TitleEditDelegate::TitleEditDelegate(Commit commit, QObject* parent)
    : QStyledItemDelegate(parent), commit_(std::move(commit)) {}

QWidget* TitleEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    editor->setObjectName("renameEditor");
    editor->setAccessibleName("File Name");
    return editor;
}

void TitleEditDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                     const QModelIndex& index) const {
    if (const auto* line = qobject_cast<const QLineEdit*>(editor)) commit_(index, line->text());
}

QString TitleEditDelegate::displayText(const QVariant& value, const QLocale&) const {
    return QString::fromStdString(ShownTitle(value.toString().toStdString()));
}

}  // namespace vantrel::app
