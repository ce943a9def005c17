// SPDX-License-Identifier: GPL-3.0-or-later
// The report list: columns from one text, cells from texts, numbers and dates, sorted rows.

#include <gtest/gtest.h>

#include <QDate>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>

#include "app/common/ListCtrlEx.h"
#include "app/common/Strings.h"

namespace vantrel::app::test {
namespace {

QStringList Titles(const CListCtrlEx& list) {
    QStringList titles;
    for (int c = 0; c < list.ColumnCount(); ++c) titles << list.headerItem()->text(c);
    return titles;
}

TEST(ListCtrlEx, ColumnsComeFromOneTextEachAsWideAsItsTitlePlusFifteen) {
    CListCtrlEx list;
    list.SetColumns(strings::kProfileListColumns);
    ASSERT_EQ(Titles(list),
              (QStringList{"Profile No", "Date From    ", "Date To   ", "Total Readings"}));
    const QFontMetrics metrics(list.font());
    for (int c = 0; c < list.ColumnCount(); ++c) {
        // The blanks in a title widen its column.
        EXPECT_EQ(list.columnWidth(c), metrics.horizontalAdvance(Titles(list)[c]) + 15) << c;
    }
    EXPECT_FALSE(list.header()->sectionsClickable());
}

TEST(ListCtrlEx, SetColumnsReplacesEveryRowAndColumn) {
    CListCtrlEx list;
    list.SetColumns("A,B,C,D,E");
    list.AddItem(0, 0, "row");
    list.AddItem(0, 4, "cell");
    list.SetColumns("Only");
    EXPECT_EQ(Titles(list), QStringList{"Only"});
    EXPECT_EQ(list.RowCount(), 0);
    list.SetColumns("");
    EXPECT_EQ(list.ColumnCount(), 1);  // a text without commas is one column
}

TEST(ListCtrlEx, CellsTakeTextsNumbersAndShortDates) {
    CListCtrlEx list;
    list.SetColumns("Name,Count,Date");
    const int row = list.AddItem(0, 0, "Site 3");
    ASSERT_EQ(row, 0);
    EXPECT_EQ(list.AddItemInt(row, 1, -5), 1);
    const DateTimeValue date = FromCivil(CivilTime{2025, 6, 27, 13, 30, 0});
    EXPECT_EQ(list.AddItemDate(row, 2, date), 1);
    EXPECT_EQ(list.ItemText(row, 1), "-5");
    EXPECT_EQ(list.ItemText(row, 2), QLocale().toString(QDate(2025, 6, 27), QLocale::ShortFormat));
    // A date that is not valid shows an empty cell; a cell past the last column is refused.
    list.AddItemDate(row, 2, DateTimeValue{0.0, DateTimeValue::kNull});
    EXPECT_EQ(list.ItemText(row, 2), "");
    // Nor does a date never set (day 0, 30 Dec 1899), while the day after it is a date.
    list.AddItemDate(row, 2, date);
    list.AddItemDate(row, 2, DateTimeValue{});
    EXPECT_EQ(list.ItemText(row, 2), "");
    EXPECT_EQ(list.AddItemDate(row, 1, DateTimeValue{1.0, DateTimeValue::kValid}), 1);
    EXPECT_EQ(list.ItemText(row, 1), QLocale().toString(QDate(1899, 12, 31), QLocale::ShortFormat));
    EXPECT_EQ(list.AddItem(row, 3, "beyond"), 0);
    EXPECT_FALSE(list.SetItem(7, 0, QString("no row")));
    // SetItem changes only what it is given.
    EXPECT_TRUE(list.SetItem(row, 0, std::nullopt));
    EXPECT_EQ(list.ItemText(row, 0), "Site 3");
    EXPECT_TRUE(list.SetItem(row, 0, QString("Site 4")));
    EXPECT_EQ(list.ItemText(row, 0), "Site 4");
}

TEST(ListCtrlEx, ASortedListPlacesEachNewRowByItsFirstColumn) {
    CListCtrlEx list;
    list.SetSortedByFirstColumn(true);
    list.SetColumns("Profile No");
    for (const char* number : {" 10", "  2", "  1"}) list.AddItem(0, 0, number);
    EXPECT_EQ(list.ItemText(0, 0), "  1");
    EXPECT_EQ(list.ItemText(1, 0), "  2");
    EXPECT_EQ(list.ItemText(2, 0), " 10");
    // Letter case does not decide the order, and a new row's index is where it went.
    CListCtrlEx names;
    names.SetSortedByFirstColumn(true);
    names.SetColumns("File Name");
    names.AddItem(0, 0, "beta");
    EXPECT_EQ(names.AddItem(0, 0, "Alpha"), 0);
    EXPECT_EQ(names.AddItem(0, 0, "gamma"), 2);
}

}  // namespace
}  // namespace vantrel::app::test
