// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The time axis: where a reading sits on it, its text in a tooltip, and the ticks of a range.
// The axis holds milliseconds since the epoch of the reading's local time, so that the axis
// labels show the time the export prints.

#include <QDateTime>
#include <QFont>
#include <QString>
#include <optional>
#include <unordered_map>
#include <vector>

#include "chart/Axis.h"

namespace vantrel::chart {

inline constexpr double kMsecsPerDay = 86400000.0;

qint64 ChartTimeOf(double days);

// ChartTimeOf for many readings, with the same results: the local clock's offset from UTC is
// looked up once for each day that is 24 hours long (a day without a change of offset), since
// the C library reads the local time zone anew for every conversion.
class ChartTimes {
public:
    qint64 Of(double days);

private:
    // The UTC time of a day's local midnight; none when the clock skips it.
    std::optional<qint64> Midnight(qint64 day);

    std::unordered_map<qint64, std::optional<qint64>> midnights_;  // by day count
    std::unordered_map<qint64, std::optional<qint64>> offsets_;    // by day count
    std::optional<qint64> offset_;  // of the last midnight found, milliseconds ahead of UTC
};
QDateTime ReadingDateTime(double days);
// The day count of a point of the time axis.
double DaysOfChartTime(double msecs);

// A reading's time in the user's locale, with seconds.
QString ReadingTimeText(double days);

// The ticks of `time` on a plot `plotWidth` pixels wide whose labels are in `font`: at
// round minutes, hours, days or months, as many as their labels have room for.
std::vector<AxisTick> TimeTicks(const AxisRange& time, double plotWidth, const QFont& font);

}  // namespace vantrel::chart
