// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chart of one profile's readings, shared by the readings window and `vantrel plot`:
// one line per sensor depth over time (a gap where a value cannot be drawn), the time
// axis in the user's locale, the value axis named after the format, a legend of the
// depths. This is the chart's model: its lines, the ranges on show, the layout for a size,
// zoom, and the drawing onto a ChartCanvas; ChartImage.h makes pictures of it. Needs a
// QGuiApplication (offscreen is enough). Not thread-safe: one thread (the GUI thread) uses
// a chart.

#include <QColor>
#include <QFont>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

#include "chart/Axis.h"
#include "chart/ChartCanvas.h"
#include "ops/ProfileSeries.h"

namespace vantrel::chart {

// "Profile 3" with the backup's title before it when there is one: "North: Profile 3".
QString ChartTitle(const QString& backupTitle, const ProfileSeries& series);

// A chart of one profile: its lines, the ranges on show, the layout for a size, zoom, and
// the drawing. Copies what it needs of the series.
class ReadingsChart {
public:
    // One run of a depth's line: the points are (chart time, value), in time order. A depth
    // with gaps has several.
    struct Line {
        std::size_t depth = 0;  // index into the series' depths
        QString name;           // the depth's label, "10cm"
        QColor colour;
        std::vector<QPointF> points;
    };
    using Range = AxisRange;
    using Tick = AxisTick;

    // `series` must not be empty. `font` is the labels' font (the title's is larger).
    ReadingsChart(const ProfileSeries& series, const QString& title, const QFont& font);

    const QString& Title() const { return title_; }
    const QString& TimeTitle() const { return timeTitle_; }
    const QString& ValueTitle() const { return valueTitle_; }
    const std::vector<Line>& Lines() const { return lines_; }
    // The legend: one entry per depth, however many runs its line has.
    struct LegendEntry {
        QString name;
        QColor colour;
    };
    const std::vector<LegendEntry>& Legend() const { return legend_; }

    // A moment marked across the plot (where one backup's readings begin): a thin vertical
    // line with its label turned along it, where the label has room.
    struct Mark {
        double at = 0.0;  // chart time
        QString label;
        QString toolTip;
    };
    void SetMarks(std::vector<Mark> marks) { marks_ = std::move(marks); }
    const std::vector<Mark>& Marks() const { return marks_; }
    // The mark in the plot drawn closest to `position`, within `distance` pixels of it
    // horizontally; null when there is none.
    const Mark* MarkNear(const QPointF& position, double distance) const;

    // The ranges on show; SetRanges ignores an empty or reversed range.
    Range TimeRange() const { return time_; }
    Range ValueRange() const { return value_; }
    void SetRanges(Range time, Range value);
    // Back to the whole profile, the value range rounded out to its ticks.
    void Reset();
    bool IsZoomed() const;

    // Lays the chart out on `size` pixels; the plot area is what is left inside the title,
    // the axes and the legend.
    void SetSize(QSizeF size);
    QSizeF Size() const { return size_; }
    QRectF PlotArea() const { return plot_; }
    // Between (chart time, value) and a position on the chart.
    QPointF MapToPosition(const QPointF& point) const;
    QPointF MapToValue(const QPointF& position) const;

    // Shows the part of the chart inside `rect` (positions); nothing for a rectangle of
    // less than a few pixels a side.
    void ZoomTo(const QRectF& rect);
    // `factor` > 1 zooms in, about `centre` (a position) which stays where it is.
    void ZoomBy(double factor, const QPointF& centre);
    void ZoomBy(double factor) { ZoomBy(factor, plot_.center()); }
    // Moves the view by `dx`, `dy` pixels (positive: later times, higher values).
    void Scroll(double dx, double dy);

    // The ticks of the ranges on show for the current size: times at round minutes,
    // hours, days or months, as many as their labels have room for.
    std::vector<Tick> TimeTicks() const;
    std::vector<Tick> ValueTicks() const;

    void Paint(ChartCanvas& canvas) const;
    // White and each colour the chart draws with, blended into white by steps (the
    // palette of its PNG image).
    QList<QRgb> Palette() const;

private:
    Range WholeTime() const;
    Range WholeValue() const;
    // The step of the value ticks for `span` on the plot's height.
    double ValueStep(double span) const;
    void PaintMarks(ChartCanvas& canvas) const;

    QString title_;
    QString timeTitle_;
    QString valueTitle_;
    QFont font_;
    QFont titleFont_;
    std::vector<Line> lines_;
    std::vector<LegendEntry> legend_;
    std::vector<Mark> marks_;
    double minTime_ = 0.0, maxTime_ = 0.0;  // of the points
    double minValue_ = 0.0, maxValue_ = 0.0;
    Range time_, value_;
    Range wholeValue_;  // the value range Reset() chose
    QSizeF size_;
    QRectF plot_;
    QRectF legendBox_;
};

}  // namespace vantrel::chart
