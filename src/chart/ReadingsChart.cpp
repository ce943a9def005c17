// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/ReadingsChart.h"

#include <QFontInfo>
#include <QFontMetricsF>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "chart/ChartPalette.h"
#include "chart/ColumnThinning.h"
#include "chart/TimeAxis.h"
#include "chart/ValueAxis.h"

namespace vantrel::chart {
namespace {

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
const QColor kMarkColour(140, 140, 160);
const QColor kTextColour(30, 30, 30);

// A font sized in pixels, so that it is the same size on the screen, in an image and in
// the SVG document, whatever their dots per inch.
QFont PixelFont(QFont font, double scale, bool bold) {
    const int pixels = QFontInfo(font).pixelSize();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels * scale))));
    font.setBold(bold);
    return font;
}

}  // namespace

QString ChartTitle(const QString& backupTitle, const ProfileSeries& series) {
    const QString profile = QStringLiteral("Profile %1").arg(series.profileNo);
    return backupTitle.isEmpty() ? profile : backupTitle + QStringLiteral(": ") + profile;
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
    ChartTimes chartTimes;
    const auto timeOf = [&](const ReadingPoint& point) {
        const auto r = static_cast<std::size_t>(point.reading);
        if (r >= times.size()) return static_cast<double>(chartTimes.Of(point.days));
        if (!converted[r]) {
            times[r] = static_cast<double>(chartTimes.Of(point.days));
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
    return chart::ValueStep(span, plot_.height(), font_);
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
    return chart::ValueTicks(value_, ValueStep(value_.Span()));
}

std::vector<ReadingsChart::Tick> ReadingsChart::TimeTicks() const {
    return chart::TimeTicks(time_, plot_.width(), font_);
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

    PaintMarks(canvas);
    // The lines, each run on its own: no line across a gap, a dot for a lone reading. On
    // pixels, a run is drawn from the few points of each column that its picture needs.
    canvas.ClipBegin(plot_.adjusted(-kDotRadius, -kDotRadius, kDotRadius, kDotRadius));
    const qreal columnWidth = canvas.ColumnWidth();
    std::vector<QPointF> positions;
    for (const Line& line : lines_) {
        QPen pen(line.colour, kLineWidth);
        pen.setJoinStyle(Qt::RoundJoin);
        positions.clear();
        positions.reserve(line.points.size());
        for (const QPointF& point : line.points) positions.push_back(MapToPosition(point));
        ThinToColumns(positions, columnWidth);
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

const ReadingsChart::Mark* ReadingsChart::MarkNear(const QPointF& position, double distance) const {
    if (!plot_.contains(position)) return nullptr;
    const Mark* nearest = nullptr;
    for (const Mark& mark : marks_) {
        const double off = std::abs(MapToPosition(QPointF(mark.at, value_.min)).x() - position.x());
        if (off <= distance) {
            nearest = &mark;
            distance = off;
        }
    }
    return nearest;
}

void ReadingsChart::PaintMarks(ChartCanvas& canvas) const {
    if (marks_.empty()) return;
    const QFontMetricsF metrics(font_);
    const double pad = metrics.height() * 0.5;
    const QPen pen(kMarkColour, 1.0);
    canvas.ClipBegin(plot_);
    // A label turned along its line, read upwards and ending near the top; one that would
    // touch the label before it is left out (its tooltip still names it).
    double labelsEnd = -std::numeric_limits<double>::infinity();
    for (const Mark& mark : marks_) {
        if (mark.at < time_.min || mark.at > time_.max) continue;
        const double x = std::round(MapToPosition(QPointF(mark.at, value_.min)).x()) + 0.5;
        const std::array line = {QPointF(x, plot_.top()), QPointF(x, plot_.bottom())};
        canvas.Polyline(line.data(), line.size(), pen);
        if (mark.label.isEmpty() || x + 2 < labelsEnd) continue;
        const double length =
            std::min(metrics.horizontalAdvance(mark.label) + 2, plot_.height() / 2);
        canvas.Text(QRectF(x + 2, plot_.top() + pad / 2, metrics.height(), length),
                    Qt::AlignRight | Qt::AlignVCenter,
                    metrics.elidedText(mark.label, Qt::ElideRight, length), font_, kMarkColour,
                    true);
        labelsEnd = x + 2 + metrics.height() + 2;
    }
    canvas.ClipEnd();
}

QList<QRgb> ReadingsChart::Palette() const {
    std::vector<QColor> colours = {kTextColour, kAxisColour, kGridColour};
    if (!marks_.empty()) colours.push_back(kMarkColour);
    for (const LegendEntry& entry : legend_) colours.push_back(entry.colour);
    return ChartPalette(colours);
}

}  // namespace vantrel::chart
