// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CListCtrlEx: a report-mode list (rows of cells under column titles) for the backup list
// and the profile list. Columns come from one comma-separated text, each as wide as its
// title (blanks included) plus 15 pixels; cells are filled from texts, integers and dates.
// A list sorts only when asked to: then every new row is placed in ascending order of its
// first column's text. Column titles never react to clicks.

#include <QHash>
#include <QTreeWidget>
#include <optional>

#include "data/DateTime.h"

namespace vantrel::app {

class CListCtrlEx : public QTreeWidget {
    Q_OBJECT
public:
    explicit CListCtrlEx(QWidget* parent = nullptr);

    // Rows placed in ascending order of the first column's text (letter case ignored).
    void SetSortedByFirstColumn(bool sorted) { sorted_ = sorted; }

    // Empties the list and gives it the columns of `titles` ("A,B  ,C").
    void SetColumns(const QString& titles);
    // Column 0: inserts a new row at `row` (a sorted list places it by its text) and
    // returns its index, or -1. Other columns: sets the cell of row `row` and returns 1,
    // or 0 when there is no such row or column. `image` is ignored (no images here).
    int AddItem(int row, int column, const QString& text, int image = -1);
    int AddItemInt(int row, int column, int value, int image = -1);
    // The date part in the user's locale's short date form; an invalid or null date
    // shows an empty cell.
    int AddItemDate(int row, int column, const DateTimeValue& date, int image = -1);
    // Changes the cell's text when one is given; false when there is no such cell.
    bool SetItem(int row, int column, const std::optional<QString>& text, int image = -1);
    // Aligns the title and the cells of `column` (numbers: right); until SetColumns.
    void SetColumnAlignment(int column, Qt::Alignment alignment);
    // Deletes every row and every column.
    void RemoveAll();

    int RowCount() const { return topLevelItemCount(); }
    int ColumnCount() const { return columnCount(); }
    QString ItemText(int row, int column) const;
    // A number the caller ties to a row (the export dialog: the profile's index).
    void SetItemData(int row, qint64 value);
    qint64 ItemData(int row) const;
    // The selected rows from top to bottom; -1 / empty when none.
    int SelectedRow() const;
    QList<int> SelectedRows() const;
    void SelectRow(int row, bool selected = true);

    // The short date text of `date` in the user's locale (empty when not valid or never set).
    static QString ShortDateText(const DateTimeValue& date);

private:
    int InsertPosition(const QString& text, int requested) const;

    bool sorted_ = false;
    QHash<int, Qt::Alignment> alignments_;
};

}  // namespace vantrel::app
