// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chart's colours: a colour for each sensor depth, and the palette of a PNG image of the
// chart (a quarter of the bytes of full colour to pack, written four times sooner).

#include <QColor>
#include <QImage>
#include <QList>
#include <vector>

namespace vantrel::chart {

// The line colour of sensor `sensor` of `sensors`: from warm near the surface to cool at
// the deepest sensor, so that neighbouring depths look alike and far ones differ.
QColor DepthColour(int sensor, int sensors);

// The palette of a chart drawn with `colours` on white: white, and each colour blended into
// white by as many steps as 256 entries allow (at most 16), as its antialiased edges are.
QList<QRgb> ChartPalette(const std::vector<QColor>& colours);
// `image` with each pixel the nearest entry of `table` (at most 256 entries).
QImage ToPalette(const QImage& image, const QList<QRgb>& table);

}  // namespace vantrel::chart
