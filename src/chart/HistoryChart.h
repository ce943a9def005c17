// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chart of a series of a site's history (ops/SiteHistory.h): its title, the marks where
// each backup's readings begin, and its picture for `vantrel plot`. Needs a QGuiApplication.

#include <QByteArray>
#include <QSize>
#include <QString>
#include <vector>

#include "chart/ChartImage.h"
#include "chart/ReadingsChart.h"

namespace vantrel {
class SiteHistory;
}

namespace vantrel::chart {

// "Visit 01 to Visit 50": the titles of the first and the last backup (one title for one).
QString HistoryTitle(const SiteHistory& history);
// "Visit 01 to Visit 50: Profile 3", with ", series 2 of 2" when its site has several.
QString HistoryChartTitle(const SiteHistory& history, const ProfileSeries& series);
// A mark at the first reading of every backup of the series but the one whose readings
// begin first, labelled with the backup's title; its tooltip names the readings it holds.
std::vector<ReadingsChart::Mark> BackupMarks(const SiteHistory& history, int series);

// The chart of `series` (BuildHistorySeries of that history), `size` pixels, with its marks.
QByteArray RenderHistoryImage(const SiteHistory& history, const ProfileSeries& series, QSize size,
                              ImageKind kind);

}  // namespace vantrel::chart
