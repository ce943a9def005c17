// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/ReadingsChart.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImageWriter>
#include <QLocale>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <new>

#include "chart/SvgCanvas.h"
#include "data/DateTime.h"
#include "data/FloatText.h"

namespace vantrel::app {
namespace {

constexpr double kMsecsPerDay = 86400000.0;
constexpr double kMsecsPerMinute = 60000.0;
// A chart of a single instant or a single value still needs an axis of some length.
constexpr double kLoneTimeMargin = 1.0 / 24.0;  // an hour either side
constexpr double kLoneValueMargin = 1.0;
// Zooming stops at a second of time and at this share of the whole value range.
constexpr double kLeastTimeSpan = 1000.0;
constexpr double kLeastValueShare = 1e-6;
// A dragged rectangle smaller than this (pixels a side) is a click, not a zoom.
constexpr double kLeastZoomSide = 4.0;
constexpr qreal kLineWidth = 1.0;
constexpr qreal kDotRadius = 2.5;
constexpr qreal kTickLength = 4.0;
constexpr qreal kSwatchLength = 18.0;

const QColor kAxisColour(80, 80, 80);
const QColor kGridColour(225, 225, 225);
const QColor kTextColour(30, 30, 30);

// The calendar date and clock time of a reading as the logger's clock gave it (no time
// zone), as the export prints it.
struct ReadingClock {
    QDate date;
    QTime time;
};

std::optional<ReadingClock> ClockOf(double days) {
    const std::optional<CivilTime> civil = ToCivil(DateTimeValue{days, DateTimeValue::kValid});
    if (!civil) return std::nullopt;
    return ReadingClock{QDate(civil->year, civil->month, civil->day),
                        QTime(civil->hour, civil->minute, civil->second)};
}

// A font sized in pixels, so that it is the same size on the screen, in an image and in
// the SVG document, whatever their dots per inch.
QFont PixelFont(QFont font, double scale, bool bold) {
    const int pixels = QFontInfo(font).pixelSize();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels * scale))));
    font.setBold(bold);
    return font;
}

// The round steps of the value axis: 1, 2 and 5 times a power of ten, the smallest whose
// ticks are at least `least` apart.
double NiceStep(double least) {
    if (!(least > 0.0) || !std::isfinite(least)) return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= least) return m * power;
    }
    return 10.0 * power;
}

int DecimalsOf(double step) {
    return std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 9);
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

// Draws on a QPainter.
class PainterCanvas final : public ChartCanvas {
public:
    explicit PainterCanvas(QPainter& painter) : painter_(painter) {
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.setRenderHint(QPainter::TextAntialiasing);
    }
    void FillRect(const QRectF& rect, const QColor& colour) override {
        painter_.fillRect(rect, colour);
    }
    void StrokeRect(const QRectF& rect, const QPen& pen) override {
        painter_.setPen(pen);
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(rect);
    }
    void Polyline(const QPointF* points, std::size_t count, const QPen& pen) override {
        painter_.setPen(pen);
        painter_.drawPolyline(points, static_cast<int>(count));
    }
    void Dot(const QPointF& centre, qreal radius, const QColor& colour) override {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(colour);
        painter_.drawEllipse(centre, radius, radius);
    }
    void Text(const QRectF& box, int align, const QString& text, const QFont& font,
              const QColor& colour, bool turned) override {
        painter_.setFont(font);
        painter_.setPen(colour);
        if (!turned) {
            painter_.drawText(box, align, text);
            return;
        }
        painter_.save();
        painter_.translate(box.center());
        painter_.rotate(-90);
        const QRectF upright(-box.height() / 2, -box.width() / 2, box.height(), box.width());
        painter_.drawText(upright, align, text);
        painter_.restore();
    }
    void ClipBegin(const QRectF& clip) override {
        painter_.save();
        painter_.setClipRect(clip);
    }
    void ClipEnd() override { painter_.restore(); }

private:
    QPainter& painter_;
};

}  // namespace

std::optional<ImageKind> ImageKindOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) return ImageKind::Png;
    if (suffix == QLatin1String("svg")) return ImageKind::Svg;
    return std::nullopt;
}

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

QColor DepthColour(int sensor, int sensors) {
    // Hues from red (0) to violet (0.75); yellows and greens are darkened a little so that
    // they stand out on white.
    const double position = sensors <= 1 ? 0.0 : static_cast<double>(sensor) / (sensors - 1);
    const double hue = 0.75 * position;
    const double brightness = (hue > 0.10 && hue < 0.45) ? 0.70 : 0.85;
    return QColor::fromHsvF(static_cast<float>(hue), 0.85f, static_cast<float>(brightness));
}

QString ChartTitle(const QString& backupTitle, const ProfileSeries& series) {
    const QString profile = QStringLiteral("Profile %1").arg(series.profileNo);
    return backupTitle.isEmpty() ? profile : backupTitle + QStringLiteral(": ") + profile;
}

QString ValueText(float value) {
    return QString::fromStdString(FormatFixed6(value));
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

ReadingsChart::ReadingsChart(const ProfileSeries& series, const QString& title, const QFont& font)
    : title_(title),
      timeTitle_(QStringLiteral("Time")),
      valueTitle_(QString::fromUtf8(ExportFormatCaption(series.format).data())),
      font_(PixelFont(font, 1.0, false)),
      titleFont_(PixelFont(font, 1.2, true)) {
    // The reading times on the axis, each converted once for all depths.
    std::vector<double> times(static_cast<std::size_t>(std::max(series.readings, 0)), 0.0);
    std::vector<bool> converted(times.size(), false);
    const auto timeOf = [&](const ReadingPoint& point) {
        const auto r = static_cast<std::size_t>(point.reading);
        if (r >= times.size()) return static_cast<double>(ChartTimeOf(point.days));
        if (!converted[r]) {
            times[r] = static_cast<double>(ChartTimeOf(point.days));
            converted[r] = true;
        }
        return times[r];
    };

    const int sensors = static_cast<int>(series.depths.size());
    bool any = false;
    for (std::size_t d = 0; d < series.depths.size(); ++d) {
        const DepthSeries& depth = series.depths[d];
        const QString name = QString::fromStdString(depth.label);
        const QColor colour = DepthColour(depth.sensor, sensors);
        legend_.push_back({name, colour});
        for (const auto& run : depth.runs) {
            if (run.empty()) continue;
            Line line{d, name, colour, {}};
            line.points.reserve(run.size());
            for (const ReadingPoint& point : run) {
                const QPointF p(timeOf(point), point.value);
                line.points.push_back(p);
                minTime_ = any ? std::min(minTime_, p.x()) : p.x();
                maxTime_ = any ? std::max(maxTime_, p.x()) : p.x();
                minValue_ = any ? std::min(minValue_, p.y()) : p.y();
                maxValue_ = any ? std::max(maxValue_, p.y()) : p.y();
                any = true;
            }
            lines_.push_back(std::move(line));
        }
    }
    SetSize(QSizeF(640, 480));
    Reset();
}

ReadingsChart::Range ReadingsChart::WholeTime() const {
    Range r{minTime_, maxTime_};
    if (r.max <= r.min) {
        r.min -= kLoneTimeMargin * kMsecsPerDay;
        r.max += kLoneTimeMargin * kMsecsPerDay;
    }
    return r;
}

ReadingsChart::Range ReadingsChart::WholeValue() const {
    Range r{minValue_, maxValue_};
    if (r.max <= r.min) {
        r.min -= kLoneValueMargin;
        r.max += kLoneValueMargin;
    } else {
        const double margin = r.Span() * 0.05;
        r.min -= margin;
        r.max += margin;
    }
    return r;
}

void ReadingsChart::SetRanges(Range time, Range value) {
    const bool finite = std::isfinite(time.min) && std::isfinite(time.max) &&
                        std::isfinite(value.min) && std::isfinite(value.max);
    if (!finite || time.Span() < kLeastTimeSpan ||
        value.Span() < WholeValue().Span() * kLeastValueShare) {
        return;
    }
    time_ = time;
    value_ = value;
}

double ReadingsChart::ValueStep(double span) const {
    const double rows = std::max(2.0, plot_.height() / (QFontMetricsF(font_).height() * 2.5));
    return NiceStep(span / rows);
}

void ReadingsChart::Reset() {
    time_ = WholeTime();
    // The value range ends on ticks, as many as the plot's height has room for. Rounded
    // out, the range may ask for the next larger step: then it is rounded out to that.
    const Range whole = WholeValue();
    double step = ValueStep(whole.Span());
    for (int tries = 0; tries < 4; ++tries) {
        value_ = {std::floor(whole.min / step) * step, std::ceil(whole.max / step) * step};
        const double fitting = ValueStep(value_.Span());
        if (fitting <= step) break;
        step = fitting;
    }
    wholeValue_ = value_;
}

bool ReadingsChart::IsZoomed() const {
    return !(time_ == WholeTime() && value_ == wholeValue_);
}

void ReadingsChart::SetSize(QSizeF size) {
    size_ = size;
    const QFontMetricsF metrics(font_);
    const QFontMetricsF titleMetrics(titleFont_);
    const double pad = metrics.height() * 0.5;
    // Top: the title. Bottom: the time labels (a clock time above its date) and the axis
    // title. Left: the value axis title (turned) and the value labels.
    const double top = pad + titleMetrics.height() + pad;
    const double bottom = kTickLength + metrics.height() * 3.4 + pad;
    // Room for the labels of the whole range with one decimal more than its ticks need, as
    // a zoom brings finer ticks; the plot keeps its place however far it is zoomed.
    const Range whole = WholeValue();
    const int decimals = DecimalsOf(NiceStep(whole.Span() / 10.0)) + 1;
    double labelWidth = 0.0;
    for (const double v : {whole.min, whole.max}) {
        labelWidth =
            std::max(labelWidth, metrics.horizontalAdvance(QString::number(v, 'f', decimals)));
    }
    const double left = pad + metrics.height() + pad + labelWidth + kTickLength + 2;
    double nameWidth = 0;
    for (const LegendEntry& entry : legend_) {
        nameWidth = std::max(nameWidth, metrics.horizontalAdvance(entry.name));
    }
    const double entryWidth = kSwatchLength + pad + nameWidth + pad;
    const double rowHeight = metrics.height() * 1.2;
    const double plotHeight = std::max(1.0, size.height() - top - bottom);
    // The legend's rows in columns, as many as the plot's height takes.
    const int rows = std::max(1, static_cast<int>(plotHeight / rowHeight));
    const int columns =
        std::max(1, static_cast<int>((legend_.size() + static_cast<std::size_t>(rows) - 1) / rows));
    const double legendWidth = pad + entryWidth * columns + pad;
    const double right = std::min(legendWidth + pad, size.width() * 0.4);
    plot_ = QRectF(left, top, std::max(1.0, size.width() - left - right), plotHeight);
    legendBox_ = QRectF(plot_.right() + pad * 2, top, right - pad * 2, plotHeight);
}

QPointF ReadingsChart::MapToPosition(const QPointF& point) const {
    return {plot_.left() + (point.x() - time_.min) / time_.Span() * plot_.width(),
            plot_.bottom() - (point.y() - value_.min) / value_.Span() * plot_.height()};
}

QPointF ReadingsChart::MapToValue(const QPointF& position) const {
    return {time_.min + (position.x() - plot_.left()) / plot_.width() * time_.Span(),
            value_.min + (plot_.bottom() - position.y()) / plot_.height() * value_.Span()};
}

void ReadingsChart::ZoomTo(const QRectF& rect) {
    const QRectF r = rect.normalized();
    if (r.width() < kLeastZoomSide || r.height() < kLeastZoomSide) return;
    const QPointF from = MapToValue(r.bottomLeft());
    const QPointF to = MapToValue(r.topRight());
    SetRanges({from.x(), to.x()}, {from.y(), to.y()});
}

void ReadingsChart::ZoomBy(double factor, const QPointF& centre) {
    if (!(factor > 0.0)) return;
    const QPointF c = MapToValue(centre);
    SetRanges({c.x() - (c.x() - time_.min) / factor, c.x() + (time_.max - c.x()) / factor},
              {c.y() - (c.y() - value_.min) / factor, c.y() + (value_.max - c.y()) / factor});
}

void ReadingsChart::Scroll(double dx, double dy) {
    const double dt = dx / plot_.width() * time_.Span();
    const double dv = dy / plot_.height() * value_.Span();
    SetRanges({time_.min + dt, time_.max + dt}, {value_.min + dv, value_.max + dv});
}

std::vector<ReadingsChart::Tick> ReadingsChart::ValueTicks() const {
    const double step = ValueStep(value_.Span());
    const int decimals = DecimalsOf(step);
    std::vector<Tick> ticks;
    for (double v = std::ceil(value_.min / step - 1e-9) * step; v <= value_.max + step * 1e-9;
         v += step) {
        const double at = std::abs(v) < step * 1e-9 ? 0.0 : v;
        ticks.push_back({at, QString::number(at, 'f', decimals)});
        if (ticks.size() > 200) break;
    }
    return ticks;
}

std::vector<ReadingsChart::Tick> ReadingsChart::TimeTicks() const {
    const QFontMetricsF metrics(font_);
    return TicksOfTime(metrics.averageCharWidth() * 3);
}

std::vector<ReadingsChart::Tick> ReadingsChart::TicksOfTime(double gap) const {
    const QLocale locale;
    const QFontMetricsF metrics(font_);
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    const QDate sample(2000, 12, 28);
    const double dateWidth = metrics.horizontalAdvance(locale.toString(sample, dateFormat));
    const QDateTime first = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(time_.min));
    const QDateTime last = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(time_.max));
    // The smallest step whose labels do not run into each other.
    const TimeStep* chosen = &kTimeSteps.back();
    for (const TimeStep& step : kTimeSteps) {
        double width = dateWidth;
        if (step.unit == TimeUnit::Month) {
            width = metrics.horizontalAdvance(locale.toString(sample, QStringLiteral("MMM yyyy")));
        } else if (step.unit == TimeUnit::Year) {
            width = metrics.horizontalAdvance(QStringLiteral("8888"));
        }
        const double pixels = step.approxMsecs / time_.Span() * plot_.width();
        if (pixels >= width + gap) {
            chosen = &step;
            break;
        }
    }
    const bool clock = chosen->unit <= TimeUnit::Hour;
    const QString clockFormat = ClockFormat(chosen->unit == TimeUnit::Second);
    std::vector<Tick> ticks;
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

void ReadingsChart::Paint(ChartCanvas& canvas) const {
    const QFontMetricsF metrics(font_);
    const double pad = metrics.height() * 0.5;
    canvas.FillRect(QRectF(QPointF(0, 0), size_), Qt::white);
    // Titles longer than their room end in an ellipsis.
    canvas.Text(QRectF(0, pad, size_.width(), QFontMetricsF(titleFont_).height()),
                Qt::AlignHCenter | Qt::AlignVCenter,
                QFontMetricsF(titleFont_).elidedText(title_, Qt::ElideRight, size_.width() - pad),
                titleFont_, kTextColour);

    QPen gridPen(kGridColour, 1.0);
    QPen axisPen(kAxisColour, 1.0);
    // Grid lines and labels at the ticks.
    const double labelTop = plot_.bottom() + kTickLength + 1;
    for (const Tick& tick : TimeTicks()) {
        const double x = MapToPosition(QPointF(tick.at, value_.min)).x();
        const std::array grid = {QPointF(x, plot_.top()), QPointF(x, plot_.bottom())};
        canvas.Polyline(grid.data(), grid.size(), gridPen);
        const std::array mark = {QPointF(x, plot_.bottom()),
                                 QPointF(x, plot_.bottom() + kTickLength)};
        canvas.Polyline(mark.data(), mark.size(), axisPen);
        canvas.Text(QRectF(x - 100, labelTop, 200, metrics.height() * 2),
                    Qt::AlignHCenter | Qt::AlignTop, tick.label, font_, kTextColour);
    }
    for (const Tick& tick : ValueTicks()) {
        const double y = MapToPosition(QPointF(time_.min, tick.at)).y();
        const std::array grid = {QPointF(plot_.left(), y), QPointF(plot_.right(), y)};
        canvas.Polyline(grid.data(), grid.size(), gridPen);
        const std::array mark = {QPointF(plot_.left() - kTickLength, y), QPointF(plot_.left(), y)};
        canvas.Polyline(mark.data(), mark.size(), axisPen);
        canvas.Text(
            QRectF(0, y - metrics.height(), plot_.left() - kTickLength - 2, metrics.height() * 2),
            Qt::AlignRight | Qt::AlignVCenter, tick.label, font_, kTextColour);
    }
    canvas.StrokeRect(plot_, axisPen);
    // The axis titles.
    canvas.Text(QRectF(plot_.left(), size_.height() - pad - metrics.height(), plot_.width(),
                       metrics.height()),
                Qt::AlignHCenter | Qt::AlignVCenter,
                metrics.elidedText(timeTitle_, Qt::ElideRight, plot_.width()), font_, kTextColour);
    canvas.Text(QRectF(pad, plot_.top(), metrics.height(), plot_.height()),
                Qt::AlignHCenter | Qt::AlignVCenter,
                metrics.elidedText(valueTitle_, Qt::ElideRight, plot_.height()), font_, kTextColour,
                true);

    // The lines, each run on its own: no line across a gap, a dot for a lone reading.
    canvas.ClipBegin(plot_.adjusted(-kDotRadius, -kDotRadius, kDotRadius, kDotRadius));
    std::vector<QPointF> positions;
    for (const Line& line : lines_) {
        QPen pen(line.colour, kLineWidth);
        pen.setJoinStyle(Qt::RoundJoin);
        positions.clear();
        positions.reserve(line.points.size());
        for (const QPointF& point : line.points) positions.push_back(MapToPosition(point));
        if (positions.size() == 1) {
            canvas.Dot(positions.front(), kDotRadius, line.colour);
        } else {
            canvas.Polyline(positions.data(), positions.size(), pen);
        }
    }
    canvas.ClipEnd();

    // The legend: a swatch of each depth's colour and its name, in columns.
    const double rowHeight = metrics.height() * 1.2;
    const int rows = std::max(1, static_cast<int>(legendBox_.height() / rowHeight));
    double nameWidth = 0;
    for (const LegendEntry& entry : legend_) {
        nameWidth = std::max(nameWidth, metrics.horizontalAdvance(entry.name));
    }
    const double entryWidth = kSwatchLength + pad + nameWidth + pad;
    canvas.ClipBegin(legendBox_);
    for (std::size_t i = 0; i < legend_.size(); ++i) {
        const double x = legendBox_.left() + entryWidth * static_cast<double>(i / rows);
        const double y = legendBox_.top() + rowHeight * static_cast<double>(i % rows);
        const double mid = y + rowHeight / 2;
        QPen pen(legend_[i].colour, 2.0);
        const std::array swatch = {QPointF(x, mid), QPointF(x + kSwatchLength, mid)};
        canvas.Polyline(swatch.data(), swatch.size(), pen);
        canvas.Text(QRectF(x + kSwatchLength + pad, y, nameWidth + pad, rowHeight),
                    Qt::AlignLeft | Qt::AlignVCenter, legend_[i].name, font_, kTextColour);
    }
    canvas.ClipEnd();
}

QImage ReadingsChart::Render(qreal ratio) const {
    const QSize pixels = (size_ * ratio).toSize();
    QImage image(pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    PainterCanvas canvas(painter);
    Paint(canvas);
    return image;
}

QList<QRgb> ReadingsChart::Palette() const {
    std::vector<QColor> colours = {kTextColour, kAxisColour, kGridColour};
    for (const LegendEntry& entry : legend_) colours.push_back(entry.colour);
    return ChartPalette(colours);
}

QByteArray ReadingsChart::RenderPng(qreal ratio) const {
    return EncodePng(ToPalette(Render(ratio), Palette()));
}

QByteArray ReadingsChart::RenderSvg() const {
    SvgCanvas canvas(size_, title_, QStringLiteral("Soil moisture readings"));
    Paint(canvas);
    return canvas.Finish();
}

QByteArray ReadingsChart::RenderImage(ImageKind kind, qreal ratio) const {
    return kind == ImageKind::Png ? RenderPng(ratio) : RenderSvg();
}

QList<QRgb> ChartPalette(const std::vector<QColor>& colours) {
    QList<QRgb> table{qRgb(255, 255, 255)};
    const int count = std::max<int>(1, static_cast<int>(colours.size()));
    const int steps = std::clamp(255 / count, 1, 16);
    for (const QColor& colour : colours) {
        for (int step = 1; step <= steps && table.size() < 256; ++step) {
            const double share = static_cast<double>(step) / steps;
            const auto blend = [share](int channel) {
                return static_cast<int>(std::lround(255.0 + (channel - 255.0) * share));
            };
            table.append(qRgb(blend(colour.red()), blend(colour.green()), blend(colour.blue())));
        }
    }
    return table;
}

QImage ToPalette(const QImage& image, const QList<QRgb>& table) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    indexed.setColorTable(table);
    indexed.setDevicePixelRatio(image.devicePixelRatio());
    // The nearest entry of each colour met (to 5 bits a channel, finer than the palette's
    // steps), found once: an antialiased chart has some thousands of colours, nearly all of
    // its pixels white.
    std::vector<int> nearest(std::size_t{1} << 15, -1);
    const auto indexOf = [&](QRgb pixel) {
        const std::size_t key = (static_cast<std::size_t>(qRed(pixel) >> 3) << 10) |
                                (static_cast<std::size_t>(qGreen(pixel) >> 3) << 5) |
                                static_cast<std::size_t>(qBlue(pixel) >> 3);
        if (nearest[key] >= 0) return static_cast<uchar>(nearest[key]);
        int best = 0;
        int bestDistance = std::numeric_limits<int>::max();
        for (qsizetype i = 0; i < table.size(); ++i) {
            const int dr = qRed(pixel) - qRed(table[i]);
            const int dg = qGreen(pixel) - qGreen(table[i]);
            const int db = qBlue(pixel) - qBlue(table[i]);
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = static_cast<int>(i);
            }
        }
        nearest[key] = best;
        return static_cast<uchar>(best);
    };
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        QRgb last = in[0] ^ 1u;
        uchar lastIndex = 0;
        for (int x = 0; x < rgb.width(); ++x) {
            if (in[x] != last) {
                last = in[x];
                lastIndex = indexOf(last);
            }
            out[x] = lastIndex;
        }
    }
    return indexed;
}

QByteArray EncodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Qt's PNG writer takes its zlib level from the quality: 85 gives level 1, and 90 and
    // above store the pixels unpacked. A chart is mostly flat colour: level 1 makes a file
    // barely larger than the best level, several times sooner.
    writer.setQuality(85);
    QImage opaque = image;
    opaque.setDevicePixelRatio(1.0);
    if (!writer.write(opaque)) throw std::bad_alloc();
    return bytes;
}

QByteArray RenderReadingsImage(const ProfileSeries& series, const QString& title, QSize size,
                               ImageKind kind) {
    ReadingsChart chart(series, title, QGuiApplication::font());
    chart.SetSize(QSizeF(size));
    chart.Reset();
    return chart.RenderImage(kind);
}

}  // namespace vantrel::app
