// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/ChartImage.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>

#include <new>

#include "chart/ChartPalette.h"
#include "chart/PainterCanvas.h"
#include "chart/ReadingsChart.h"
#include "chart/SvgCanvas.h"

namespace vantrel::chart {

std::optional<ImageKind> ImageKindOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) return ImageKind::Png;
    if (suffix == QLatin1String("svg")) return ImageKind::Svg;
    return std::nullopt;
}

QImage RenderChart(const ReadingsChart& chart, qreal ratio) {
    const QSize pixels = (chart.Size() * ratio).toSize();
    QImage image(pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    PainterCanvas canvas(painter);
    chart.Paint(canvas);
    return image;
}

QByteArray RenderChartPng(const ReadingsChart& chart, qreal ratio) {
    return EncodePng(ToPalette(RenderChart(chart, ratio), chart.Palette()));
}

QByteArray RenderChartSvg(const ReadingsChart& chart) {
    SvgCanvas canvas(chart.Size(), chart.Title(), QStringLiteral("Soil moisture readings"));
    chart.Paint(canvas);
    return canvas.Finish();
}

QByteArray RenderChartImage(const ReadingsChart& chart, ImageKind kind, qreal ratio) {
    return kind == ImageKind::Png ? RenderChartPng(chart, ratio) : RenderChartSvg(chart);
}

QByteArray RenderReadingsImage(const ProfileSeries& series, const QString& title, QSize size,
                               ImageKind kind) {
    ReadingsChart chart(series, title, QGuiApplication::font());
    chart.SetSize(QSizeF(size));
    chart.Reset();
    return RenderChartImage(chart, kind);
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

}  // namespace vantrel::chart
