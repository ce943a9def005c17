// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the chart is drawn on: a QPainter (PainterCanvas: the window and PNG) or the SVG
// writer (SvgCanvas). The chart draws through this interface alone and knows neither.
// Coordinates are pixels of the chart's own size.

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <cstddef>

namespace vantrel::chart {

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
    // The width of a column of device pixels, for lines thinned to what it shows
    // (ColumnThinning.h); 0 for a vector picture, which keeps every point.
    virtual qreal ColumnWidth() const = 0;
};

}  // namespace vantrel::chart
