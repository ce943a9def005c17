// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A chart canvas that writes an SVG 1.2 Tiny document as text: rectangles, polylines,
// dots and text (measured with Qt's font metrics, so that it is placed as on screen).
// SVG Tiny has no clip paths: a clip is applied here, to the lines' coordinates, so that
// every viewer shows the same. Coordinates are pixels; the document's size is given in
// millimetres at 96 dots per inch.

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <optional>
#include <vector>

#include "chart/ChartCanvas.h"

namespace vantrel::chart {

class SvgCanvas final : public ChartCanvas {
public:
    SvgCanvas(QSizeF size, const QString& title, const QString& description);

    void FillRect(const QRectF& rect, const QColor& colour) override;
    void StrokeRect(const QRectF& rect, const QPen& pen) override;
    void Polyline(const QPointF* points, std::size_t count, const QPen& pen) override;
    void Dot(const QPointF& centre, qreal radius, const QColor& colour) override;
    void Text(const QRectF& box, int align, const QString& text, const QFont& font,
              const QColor& colour, bool turned = false) override;
    void ClipBegin(const QRectF& clip) override;
    void ClipEnd() override;
    qreal ColumnWidth() const override { return 0.0; }

    // The whole document, UTF-8; the canvas is done with after it.
    QByteArray Finish();

private:
    void WritePolyline(const std::vector<QPointF>& points, const QString& stroke);

    QString out_;
    std::vector<QRectF> clips_;  // the innermost last
};

// `text` with the characters XML gives a meaning escaped.
QString XmlEscaped(const QString& text);

}  // namespace vantrel::chart
