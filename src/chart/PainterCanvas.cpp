// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PainterCanvas.h"

namespace vantrel::chart {

PainterCanvas::PainterCanvas(QPainter& painter) : painter_(painter) {
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::TextAntialiasing);
}

void PainterCanvas::FillRect(const QRectF& rect, const QColor& colour) {
    painter_.fillRect(rect, colour);
}

void PainterCanvas::StrokeRect(const QRectF& rect, const QPen& pen) {
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(rect);
}

void PainterCanvas::Polyline(const QPointF* points, std::size_t count, const QPen& pen) {
    painter_.setPen(pen);
    painter_.drawPolyline(points, static_cast<int>(count));
}

void PainterCanvas::Dot(const QPointF& centre, qreal radius, const QColor& colour) {
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(colour);
    painter_.drawEllipse(centre, radius, radius);
}

void PainterCanvas::Text(const QRectF& box, int align, const QString& text, const QFont& font,
                         const QColor& colour, bool turned) {
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

void PainterCanvas::ClipBegin(const QRectF& clip) {
    painter_.save();
    painter_.setClipRect(clip);
}

void PainterCanvas::ClipEnd() {
    painter_.restore();
}

qreal PainterCanvas::ColumnWidth() const {
    const QPaintDevice* device = painter_.device();
    return device == nullptr ? 1.0 : 1.0 / device->devicePixelRatioF();
}

}  // namespace vantrel::chart
