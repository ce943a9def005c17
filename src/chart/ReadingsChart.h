// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chart of one profile's readings, shared by the readings window and `vantrel plot`:
// one line per sensor depth over time (a gap where a value cannot be drawn), the time
// axis in the user's locale, the value axis named after the format, a legend of the
// depths. It is drawn with QPainter (on screen, into an image for PNG) and by the same
// code as SVG text, so it needs nothing but Qt GUI. Needs a QGuiApplication (offscreen is
// enough). Not thread-safe: one thread (the GUI thread) uses a chart.

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <optional>
#include <vector>

#include "ops/ProfileSeries.h"

namespace vantrel::app {

enum class ImageKind { Png, Svg };

// PNG or SVG by the file name's extension (letter case ignored); nothing for any other.
std::optional<ImageKind> ImageKindOf(const QString& path);

// The time axis holds milliseconds since the epoch of the reading's local time, so that
// the axis labels show the time the export prints.
qint64 ChartTimeOf(double days);
QDateTime ReadingDateTime(double days);
// The day count of a point of the time axis.
double DaysOfChartTime(double msecs);

// The line colour of sensor `sensor` of `sensors`: from warm near the surface to cool at
// the deepest sensor, so that neighbouring depths look alike and far ones differ.
QColor DepthColour(int sensor, int sensors);

// "Profile 3" with the backup's title before it when there is one: "North: Profile 3".
QString ChartTitle(const QString& backupTitle, const ProfileSeries& series);

// A value as the export prints it ("12.345678").
QString ValueText(float value);
// A reading's time in the user's locale, with seconds.
QString ReadingTimeText(double days);

// What the chart is drawn on: a QPainter or the SVG writer. Coordinates are pixels of the
// chart's own size.
class ChartCanvas {
public:
    virtual ~ChartCanvas() = default;
    virtual void FillRect(const QRectF& rect, const QColor& colour) = 0;
    virtual void StrokeRect(const QRectF& rect, const QPen& pen) = 0;
    virtual void Polyline(const QPointF* points, std::size_t count, const QPen& pen) = 0;
    virtual void Dot(const QPointF& centre, qreal radius, const QColor& colour) = 0;
    // `text` in `font`, placed in `box` by `align` (Qt::Alignment flags); upright text runs
    // left to right, turned text bottom to top about the box's centre.
    virtual void Text(const QRectF& box, int align, const QString& text, const QFont& font,
                      const QColor& colour, bool turned = false) = 0;
    // Draws only inside `clip` until ClipEnd().
    virtual void ClipBegin(const QRectF& clip) = 0;
    virtual void ClipEnd() = 0;
};

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
    struct Range {
        double min = 0.0;
        double max = 0.0;
        double Span() const { return max - min; }
        bool operator==(const Range&) const = default;
    };
    struct Tick {
        double at = 0.0;  // chart time or value
        QString label;
    };

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
    // The chart at its size on white, `ratio` device pixels to a pixel.
    QImage Render(qreal ratio = 1.0) const;
    // The picture with a palette of the chart's colours (see ToPalette): a quarter of the
    // bytes to pack, written four times sooner than the full colours.
    QByteArray RenderPng(qreal ratio = 1.0) const;
    // White and each colour the chart draws with, blended into white by steps.
    QList<QRgb> Palette() const;
    // An SVG document of the chart, its view box the chart's size (at 96 dots per inch).
    QByteArray RenderSvg() const;
    QByteArray RenderImage(ImageKind kind, qreal ratio = 1.0) const;

private:
    Range WholeTime() const;
    Range WholeValue() const;
    std::vector<Tick> TicksOfTime(double gap) const;
    // The step of the value ticks for `span` on the plot's height.
    double ValueStep(double span) const;

    QString title_;
    QString timeTitle_;
    QString valueTitle_;
    QFont font_;
    QFont titleFont_;
    std::vector<Line> lines_;
    std::vector<LegendEntry> legend_;
    double minTime_ = 0.0, maxTime_ = 0.0;  // of the points
    double minValue_ = 0.0, maxValue_ = 0.0;
    Range time_, value_;
    Range wholeValue_;  // the value range Reset() chose
    QSizeF size_;
    QRectF plot_;
    QRectF legendBox_;
};

// The chart of `series` alone, `size` pixels, as an image of `kind`, its labels in the
// application's font.
QByteArray RenderReadingsImage(const ProfileSeries& series, const QString& title, QSize size,
                               ImageKind kind);

// An image as PNG bytes, written for speed (a chart is mostly flat colour).
QByteArray EncodePng(const QImage& image);

// The palette of a chart drawn with `colours` on white: white, and each colour blended into
// white by as many steps as 256 entries allow (at most 16), as its antialiased edges are.
QList<QRgb> ChartPalette(const std::vector<QColor>& colours);
// `image` with each pixel the nearest entry of `table` (at most 256 entries).
QImage ToPalette(const QImage& image, const QList<QRgb>& table);

}  // namespace vantrel::app
