// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A chart canvas that draws on a QPainter (antialiased): the readings window's picture and
// the PNG image.

#include <QPainter>

#include "chart/ChartCanvas.h"

namespace vantrel::chart {

class PainterCanvas final : public ChartCanvas {
public:
    explicit PainterCanvas(QPainter& painter);
    void FillRect(const QRectF& rect, const QColor& colour) override;
    void StrokeRect(const QRectF& rect, const QPen& pen) override;
    void Polyline(const QPointF* points, std::size_t count, const QPen& pen) override;
    void Dot(const QPointF& centre, qreal radius, const QColor& colour) override;
    void Text(const QRectF& box, int align, const QString& text, const QFont& font,
              const QColor& colour, bool turned) override;
    void ClipBegin(const QRectF& clip) override;
    void ClipEnd() override;
    qreal ColumnWidth() const override;

private:
    QPainter& painter_;
};

}  // namespace vantrel::chart
