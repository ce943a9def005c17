// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/TimeAxis.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QRegularExpression>

#include <array>
#include <cmath>
#include <optional>

#include "data/DateTime.h"

namespace vantrel::chart {
namespace {

constexpr double kMsecsPerMinute = 60000.0;

// The calendar date and clock time of a reading as the logger's clock gave it (no time
// zone), as the export prints it.
struct ReadingClock {
    QDate date;
    QTime time;
};

// Day 0 of a day count (30 December 1899) as a Julian day, and the day count of 1 January 1970.
constexpr qint64 kJulianDayOfDayZero = 2415019;
constexpr qint64 kDayOfUnixEpoch = 25569;

std::optional<ReadingClock> ClockOf(double days) {
    const std::optional<CivilTime> civil = ToCivil(DateTimeValue{days, DateTimeValue::kValid});
    if (!civil) return std::nullopt;
    return ReadingClock{QDate(civil->year, civil->month, civil->day),
                        QTime(civil->hour, civil->minute, civil->second)};
}

// The steps of the time axis, from seconds to centuries.
enum class TimeUnit { Second, Minute, Hour, Day, Month, Year };
struct TimeStep {
    TimeUnit unit;
    int count;
    double approxMsecs;
};
constexpr double kSecond = 1000.0;
constexpr std::array kTimeSteps = {
    TimeStep{TimeUnit::Second, 1, kSecond},
    TimeStep{TimeUnit::Second, 5, 5 * kSecond},
    TimeStep{TimeUnit::Second, 15, 15 * kSecond},
    TimeStep{TimeUnit::Second, 30, 30 * kSecond},
    TimeStep{TimeUnit::Minute, 1, kMsecsPerMinute},
    TimeStep{TimeUnit::Minute, 2, 2 * kMsecsPerMinute},
    TimeStep{TimeUnit::Minute, 5, 5 * kMsecsPerMinute},
    TimeStep{TimeUnit::Minute, 10, 10 * kMsecsPerMinute},
    TimeStep{TimeUnit::Minute, 15, 15 * kMsecsPerMinute},
    TimeStep{TimeUnit::Minute, 30, 30 * kMsecsPerMinute},
    TimeStep{TimeUnit::Hour, 1, 60 * kMsecsPerMinute},
    TimeStep{TimeUnit::Hour, 2, 120 * kMsecsPerMinute},
    TimeStep{TimeUnit::Hour, 3, 180 * kMsecsPerMinute},
    TimeStep{TimeUnit::Hour, 6, 360 * kMsecsPerMinute},
    TimeStep{TimeUnit::Hour, 12, 720 * kMsecsPerMinute},
    TimeStep{TimeUnit::Day, 1, kMsecsPerDay},
    TimeStep{TimeUnit::Day, 2, 2 * kMsecsPerDay},
    TimeStep{TimeUnit::Day, 7, 7 * kMsecsPerDay},
    TimeStep{TimeUnit::Day, 14, 14 * kMsecsPerDay},
    TimeStep{TimeUnit::Month, 1, 30.4 * kMsecsPerDay},
    TimeStep{TimeUnit::Month, 2, 61 * kMsecsPerDay},
    TimeStep{TimeUnit::Month, 3, 91 * kMsecsPerDay},
    TimeStep{TimeUnit::Month, 6, 182 * kMsecsPerDay},
    TimeStep{TimeUnit::Year, 1, 365.25 * kMsecsPerDay},
    TimeStep{TimeUnit::Year, 2, 2 * 365.25 * kMsecsPerDay},
    TimeStep{TimeUnit::Year, 5, 5 * 365.25 * kMsecsPerDay},
    TimeStep{TimeUnit::Year, 10, 10 * 365.25 * kMsecsPerDay},
    TimeStep{TimeUnit::Year, 25, 25 * 365.25 * kMsecsPerDay},
    TimeStep{TimeUnit::Year, 100, 100 * 365.25 * kMsecsPerDay},
};

QString ClockFormat(bool seconds) {
    QString format = QLocale().timeFormat(QLocale::ShortFormat);
    static const QRegularExpression secondsPart(QStringLiteral("[:.]s{1,2}"));
    format.remove(secondsPart);
    if (seconds) format.replace(QStringLiteral("mm"), QStringLiteral("mm:ss"));
    return format;
}

// The first tick of `step` at or after `from`, in local time.
QDateTime FirstTick(const QDateTime& from, const TimeStep& step) {
    const QDate date = from.date();
    const QTime clock = from.time();
    QDateTime tick;
    switch (step.unit) {
        case TimeUnit::Second:
        case TimeUnit::Minute:
        case TimeUnit::Hour: {
            const int unitSeconds = step.unit == TimeUnit::Second   ? 1
                                    : step.unit == TimeUnit::Minute ? 60
                                                                    : 3600;
            const int stepSeconds = unitSeconds * step.count;
            const int since = clock.msecsSinceStartOfDay() / 1000;
            const int rounded = (since + stepSeconds - 1) / stepSeconds * stepSeconds;
            tick = QDateTime(date, QTime(0, 0)).addSecs(rounded);
            break;
        }
        case TimeUnit::Day: {
            QDate day = clock == QTime(0, 0) ? date : date.addDays(1);
            // Weeks start on a Monday; two days on even day numbers since the epoch.
            if (step.count == 7 || step.count == 14) {
                day = day.addDays((8 - day.dayOfWeek()) % 7);
            } else if (step.count > 1) {
                day = day.addDays(day.toJulianDay() % step.count);
            }
            tick = QDateTime(day, QTime(0, 0));
            break;
        }
        case TimeUnit::Month:
        case TimeUnit::Year: {
            const int months = step.unit == TimeUnit::Month ? step.count : 12 * step.count;
            int index = date.year() * 12 + date.month() - 1;
            if (date.day() != 1 || clock != QTime(0, 0)) ++index;
            index = (index + months - 1) / months * months;
            tick = QDateTime(QDate(index / 12, index % 12 + 1, 1), QTime(0, 0));
            break;
        }
    }
    // Midnight that the change to summer time skips: the first time that exists.
    if (!tick.isValid()) tick = QDateTime(tick.date(), QTime(1, 0));
    return tick;
}

QDateTime NextTick(const QDateTime& tick, const TimeStep& step) {
    switch (step.unit) {
        case TimeUnit::Second:
            return tick.addSecs(step.count);
        case TimeUnit::Minute:
            return tick.addSecs(60LL * step.count);
        case TimeUnit::Hour:
            return tick.addSecs(3600LL * step.count);
        case TimeUnit::Day:
            return QDateTime(tick.date().addDays(step.count), QTime(0, 0));
        case TimeUnit::Month:
            return QDateTime(tick.date().addMonths(step.count), QTime(0, 0));
        case TimeUnit::Year:
            return QDateTime(tick.date().addYears(step.count), QTime(0, 0));
    }
    return tick;
}

}  // namespace

QDateTime ReadingDateTime(double days) {
    const std::optional<ReadingClock> clock = ClockOf(days);
    if (!clock) return {};
    QDateTime time(clock->date, clock->time);
    // A clock time that the change to summer time skips does not exist in local time: it
    // is placed at the end of the gap, so that the line still runs forward through it.
    const int start = clock->time.hour() * 60 + clock->time.minute();
    for (int m = start + 1; !time.isValid() && m <= start + 26 * 60; ++m) {
        time = QDateTime(clock->date.addDays(m / 1440), QTime(m % 1440 / 60, m % 60));
    }
    return time;
}

qint64 ChartTimeOf(double days) {
    const QDateTime time = ReadingDateTime(days);
    // Outside the years a calendar date can hold: kept in order on the axis all the same.
    if (!time.isValid()) return static_cast<qint64>((days - 25569.0) * kMsecsPerDay);
    return time.toMSecsSinceEpoch();
}

std::optional<qint64> ChartTimes::Midnight(qint64 day) {
    if (const auto found = midnights_.find(day); found != midnights_.end()) return found->second;
    const QDate date = QDate::fromJulianDay(day + kJulianDayOfDayZero);
    const qint64 utcMidnight = (day - kDayOfUnixEpoch) * 86400000;
    std::optional<qint64> midnight;
    // Tried first from the UTC side, at the offset of the midnight before: one conversion,
    // where a local time built from its date takes two, and each reads the time zone anew.
    if (offset_) {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(utcMidnight - *offset_);
        if (local.date() == date && local.time() == QTime(0, 0)) midnight = utcMidnight - *offset_;
    }
    if (!midnight) {
        const QDateTime local(date, QTime(0, 0));
        if (local.isValid()) midnight = local.toMSecsSinceEpoch();
    }
    if (midnight) offset_ = utcMidnight - *midnight;
    midnights_.emplace(day, midnight);
    return midnight;
}

qint64 ChartTimes::Of(double days) {
    // The day and the second of the day as ToCivil takes them (days before 1899 and after
    // 9999 go the long way).
    if (!(days >= 0.0 && days < 2958465.0)) return ChartTimeOf(days);
    const double whole = std::trunc(days);
    qint64 day = static_cast<qint64>(whole);
    qint64 second = static_cast<qint64>(std::floor((days - whole) * 86400.0 + 0.5));
    if (second >= 86400) {
        second -= 86400;
        ++day;
    }
    auto found = offsets_.find(day);
    if (found == offsets_.end()) {
        // The offset of a day whose two midnights are 24 hours apart holds all day long.
        const std::optional<qint64> start = Midnight(day);
        const std::optional<qint64> end = Midnight(day + 1);
        std::optional<qint64> offset;
        if (start && end && *end - *start == 86400000) {
            offset = (day - kDayOfUnixEpoch) * 86400000 - *start;
        }
        found = offsets_.emplace(day, offset).first;
    }
    if (!found->second) return ChartTimeOf(days);
    return (day - kDayOfUnixEpoch) * 86400000 + second * 1000 - *found->second;
}

double DaysOfChartTime(double msecs) {
    const qint64 whole = static_cast<qint64>(std::floor(msecs / 1000.0)) * 1000;
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(whole);
    const QDate date = time.date();
    const QTime clock = time.time();
    const DateTimeValue value = FromCivil(CivilTime{date.year(), date.month(), date.day(),
                                                    clock.hour(), clock.minute(), clock.second()});
    if (!value.IsValid()) return msecs / kMsecsPerDay + 25569.0;
    return value.days + (msecs - static_cast<double>(whole)) / kMsecsPerDay;
}

QString ReadingTimeText(double days) {
    const std::optional<ReadingClock> clock = ClockOf(days);
    if (!clock) return QString::fromStdString(FormatReadingStamp({days, 0}));
    const QLocale locale;
    QString format = locale.timeFormat(QLocale::ShortFormat);
    // The short form often leaves the seconds out; a reading off the minute shows them.
    if (!format.contains(u's') && clock->time.second() != 0) {
        format.replace(QStringLiteral("mm"), QStringLiteral("mm:ss"));
    }
    return locale.toString(clock->date, QLocale::ShortFormat) + u' ' +
           locale.toString(clock->time, format);
}

std::vector<AxisTick> TimeTicks(const AxisRange& time, double plotWidth, const QFont& font) {
    const QLocale locale;
    const QFontMetricsF metrics(font);
    const double gap = metrics.averageCharWidth() * 3;
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    const QDate sample(2000, 12, 28);
    const double dateWidth = metrics.horizontalAdvance(locale.toString(sample, dateFormat));
    const QDateTime first = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(time.min));
    const QDateTime last = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(time.max));
    // The smallest step whose labels do not run into each other.
    const TimeStep* chosen = &kTimeSteps.back();
    for (const TimeStep& step : kTimeSteps) {
        double width = dateWidth;
        if (step.unit == TimeUnit::Month) {
            width = metrics.horizontalAdvance(locale.toString(sample, QStringLiteral("MMM yyyy")));
        } else if (step.unit == TimeUnit::Year) {
            width = metrics.horizontalAdvance(QStringLiteral("8888"));
        }
        const double pixels = step.approxMsecs / time.Span() * plotWidth;
        if (pixels >= width + gap) {
            chosen = &step;
            break;
        }
    }
    const bool clock = chosen->unit <= TimeUnit::Hour;
    const QString clockFormat = ClockFormat(chosen->unit == TimeUnit::Second);
    std::vector<AxisTick> ticks;
    QDate previousDate;
    for (QDateTime t = FirstTick(first, *chosen); t.isValid() && t <= last;
         t = NextTick(t, *chosen)) {
        QString label;
        if (clock) {
            // The clock time, and below it the date where the day changes.
            label = locale.toString(t.time(), clockFormat);
            if (t.date() != previousDate) label += u'\n' + locale.toString(t.date(), dateFormat);
            previousDate = t.date();
        } else if (chosen->unit == TimeUnit::Day) {
            label = locale.toString(t.date(), dateFormat);
        } else if (chosen->unit == TimeUnit::Month) {
            label = locale.toString(t.date(), QStringLiteral("MMM yyyy"));
        } else {
            label = QString::number(t.date().year());
        }
        ticks.push_back({static_cast<double>(t.toMSecsSinceEpoch()), label});
        if (ticks.size() > 200) break;
    }
    return ticks;
}

}  // namespace vantrel::chart
