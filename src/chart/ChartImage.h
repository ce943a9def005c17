// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chart as a picture: an image drawn with QPainter, PNG bytes (with the chart's palette)
// and an SVG document, and the whole way from a profile's series to an image file's bytes
// for `vantrel plot`. Needs a QGuiApplication (offscreen is enough).

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

#include "ops/ProfileSeries.h"

namespace vantrel::chart {

class ReadingsChart;

enum class ImageKind { Png, Svg };

// PNG or SVG by the file name's extension (letter case ignored); nothing for any other.
std::optional<ImageKind> ImageKindOf(const QString& path);

// `chart` at its size on white, `ratio` device pixels to a pixel.
QImage RenderChart(const ReadingsChart& chart, qreal ratio = 1.0);
// The picture with a palette of the chart's colours (see ToPalette): a quarter of the
// bytes to pack, written four times sooner than the full colours.
QByteArray RenderChartPng(const ReadingsChart& chart, qreal ratio = 1.0);
// An SVG document of the chart, its view box the chart's size (at 96 dots per inch).
QByteArray RenderChartSvg(const ReadingsChart& chart);
QByteArray RenderChartImage(const ReadingsChart& chart, ImageKind kind, qreal ratio = 1.0);

// The chart of `series` alone, `size` pixels, as an image of `kind`, its labels in the
// application's font.
QByteArray RenderReadingsImage(const ProfileSeries& series, const QString& title, QSize size,
                               ImageKind kind);

// An image as PNG bytes, written for speed (a chart is mostly flat colour).
QByteArray EncodePng(const QImage& image);

}  // namespace vantrel::chart
