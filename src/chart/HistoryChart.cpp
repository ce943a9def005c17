// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/HistoryChart.h"

#include <QGuiApplication>
#include <algorithm>

#include "chart/TimeAxis.h"
#include "data/DateTime.h"
#include "ops/SiteHistory.h"

namespace vantrel::chart {
namespace {

QString Stamp(double days) {
    return QString::fromStdString(FormatReadingStamp(DateTimeValue{days, DateTimeValue::kValid}));
}

QString TitleOf(const SiteHistory& history, int backup) {
    return QString::fromStdString(history.Backups()[static_cast<std::size_t>(backup)].title);
}

}  // namespace

QString HistoryTitle(const SiteHistory& history) {
    const int count = static_cast<int>(history.Backups().size());
    if (count == 0) return {};
    if (count == 1) return TitleOf(history, 0);
    return QStringLiteral("%1 to %2").arg(TitleOf(history, 0), TitleOf(history, count - 1));
}

QString HistoryChartTitle(const SiteHistory& history, const ProfileSeries& series) {
    QString title = ChartTitle(HistoryTitle(history), series);
    const HistorySeries& merged =
        history.Series().at(static_cast<std::size_t>(series.profileIndex));
    if (merged.ofProfile > 1) {
        title += QStringLiteral(", series %1 of %2").arg(merged.ordinal).arg(merged.ofProfile);
    }
    return title;
}

std::vector<ReadingsChart::Mark> BackupMarks(const SiteHistory& history, int series) {
    std::vector<BackupStretch> stretches =
        history.Series().at(static_cast<std::size_t>(series)).stretches;
    std::stable_sort(
        stretches.begin(), stretches.end(),
        [](const BackupStretch& a, const BackupStretch& b) { return a.firstDays < b.firstDays; });
    std::vector<ReadingsChart::Mark> marks;
    ChartTimes times;
    for (std::size_t k = 1; k < stretches.size(); ++k) {
        const BackupStretch& stretch = stretches[k];
        const QString title = TitleOf(history, stretch.backup);
        // The times as the export prints them: a text in the user's locale would read the
        // time zone anew for each, and a chart of a year has fifty marks.
        marks.push_back({static_cast<double>(times.Of(stretch.firstDays)), title,
                         QStringLiteral("%1\n%2 readings, %3 to %4")
                             .arg(title)
                             .arg(stretch.readings)
                             .arg(Stamp(stretch.firstDays), Stamp(stretch.lastDays))});
    }
    return marks;
}

QByteArray RenderHistoryImage(const SiteHistory& history, const ProfileSeries& series, QSize size,
                              ImageKind kind) {
    ReadingsChart chart(series, HistoryChartTitle(history, series), QGuiApplication::font());
    chart.SetMarks(BackupMarks(history, series.profileIndex));
    chart.SetSize(QSizeF(size));
    chart.Reset();
    return RenderChartImage(chart, kind);
}

}  // namespace vantrel::chart
