// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TitleEditDelegate: how a backup row's title is shown on the Restore / Export page, and its
// in-place editor. Ending the edit never writes the typed text into the list: it goes to
// `commit`, and the row shows a new title only once the file has been renamed and the list
// read again. Escape closes the editor without a commit.

#include <QStyledItemDelegate>
#include <functional>

namespace vantrel::app {

class TitleEditDelegate final : public QStyledItemDelegate {
public:
    using Commit = std::function<void(const QModelIndex&, const QString&)>;
    TitleEditDelegate(Commit commit, QObject* parent);

    // The editor, named "renameEditor" ("File Name" to assistive technology).
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    // Blanks at a title's start or end are shown; the row keeps the title itself, which the
    // editor, the export's file name and the readings window use.
    QString displayText(const QVariant& value, const QLocale& locale) const override;

private:
    Commit commit_;
};

}  // namespace vantrel::app
