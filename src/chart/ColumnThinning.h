// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A line of many more points than its picture has pixel columns (a year of hourly readings
// on a plot a thousand pixels wide) drawn from far fewer points, and looking the same.

#include <QPointF>
#include <vector>

namespace vantrel::chart {

// Thins `positions` (a polyline in drawing order, x not decreasing) column by column: of
// each run of more than four consecutive points in one column `columnWidth` wide (a device
// pixel), only the first, the lowest, the highest and the last are kept, in their order.
// The line still enters and leaves the column where it did and spans the same heights in
// it. Nothing changes for a width that is not positive (a vector picture keeps every point).
void ThinToColumns(std::vector<QPointF>& positions, double columnWidth);

}  // namespace vantrel::chart
