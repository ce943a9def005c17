// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/common/ListCtrlEx.h"

#include <QDate>
#include <QHeaderView>
#include <QLocale>

#include "ops/BackupSummary.h"

namespace vantrel::app {

CListCtrlEx::CListCtrlEx(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);  // full-row selection
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSortingEnabled(false);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    setColumnCount(0);
}

void CListCtrlEx::SetColumns(const QString& titles) {
    RemoveAll();
    const QStringList pieces = titles.split(',');
    setColumnCount(static_cast<int>(pieces.size()));
    setHeaderLabels(pieces);
    const QFontMetrics metrics(font());
    for (int column = 0; column < pieces.size(); ++column) {
        setColumnWidth(column, metrics.horizontalAdvance(pieces[column]) + 15);
    }
}

void CListCtrlEx::SetColumnAlignment(int column, Qt::Alignment alignment) {
    alignments_.insert(column, alignment | Qt::AlignVCenter);
    headerItem()->setTextAlignment(column, alignments_.value(column));
    for (int row = 0; row < topLevelItemCount(); ++row) {
        topLevelItem(row)->setTextAlignment(column, alignments_.value(column));
    }
}

void CListCtrlEx::RemoveAll() {
    alignments_.clear();
    clear();
    setColumnCount(0);
    setHeaderLabels({});
    viewport()->update();
}

int CListCtrlEx::InsertPosition(const QString& text, int requested) const {
    const int count = topLevelItemCount();
    if (!sorted_) return std::clamp(requested, 0, count);
    int position = 0;
    while (position < count &&
           QString::compare(topLevelItem(position)->text(0), text, Qt::CaseInsensitive) <= 0) {
        ++position;
    }
    return position;
}

int CListCtrlEx::AddItem(int row, int column, const QString& text, int) {
    if (column == 0) {
        if (columnCount() == 0 || row < 0) return -1;
        const int position = InsertPosition(text, row);
        auto* item = new QTreeWidgetItem;
        item->setText(0, text);
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        for (auto aligned = alignments_.cbegin(); aligned != alignments_.cend(); ++aligned) {
            item->setTextAlignment(aligned.key(), aligned.value());
        }
        insertTopLevelItem(position, item);
        return position;
    }
    return SetItem(row, column, text) ? 1 : 0;
}

int CListCtrlEx::AddItemInt(int row, int column, int value, int image) {
    return AddItem(row, column, QString::number(value), image);
}

QString CListCtrlEx::ShortDateText(const DateTimeValue& date) {
    // A date never set (an incomplete profile, a backup without profiles) is day 0, which
    // would read 30 Dec 1899: the cell stays empty, as in the command-line tool's lists.
    if (date.status != DateTimeValue::kValid || IsUnsetDate(date)) return {};
    const std::optional<CivilTime> civil = ToCivil(date);
    if (!civil) return {};
    return QLocale().toString(QDate(civil->year, civil->month, civil->day), QLocale::ShortFormat);
}

int CListCtrlEx::AddItemDate(int row, int column, const DateTimeValue& date, int image) {
    return AddItem(row, column, ShortDateText(date), image);
}

bool CListCtrlEx::SetItem(int row, int column, const std::optional<QString>& text, int) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (item == nullptr || column < 0 || column >= columnCount()) return false;
    if (text) item->setText(column, *text);
    return true;
}

QString CListCtrlEx::ItemText(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->text(column) : QString();
}

void CListCtrlEx::SetItemData(int row, qint64 value) {
    if (QTreeWidgetItem* item = topLevelItem(row)) item->setData(0, Qt::UserRole, value);
}

qint64 CListCtrlEx::ItemData(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->data(0, Qt::UserRole).toLongLong() : 0;
}

QList<int> CListCtrlEx::SelectedRows() const {
    QList<int> rows;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (topLevelItem(row)->isSelected()) rows << row;
    }
    return rows;
}

int CListCtrlEx::SelectedRow() const {
    const QList<int> rows = SelectedRows();
    return rows.isEmpty() ? -1 : rows.front();
}

void CListCtrlEx::SelectRow(int row, bool selected) {
    if (QTreeWidgetItem* item = topLevelItem(row)) item->setSelected(selected);
}

}  // namespace vantrel::app
