// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chart of one profile's readings, shared by the readings window and `vantrel plot`:
// one line per sensor depth over time (a gap where a value cannot be drawn), the time
// axis in the user's locale, the value axis named after the format; and the chart drawn
// to PNG or SVG bytes. Needs a QApplication (offscreen is enough).

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

#include "ops/ProfileSeries.h"

class QChart;
class QGraphicsScene;
class QRectF;

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

// A new chart (owned by the caller) of `series`, which must not be empty.
QChart* BuildReadingsChart(const ProfileSeries& series, const QString& title);

// Brings the time and value axes back to the whole of `series`.
void ResetChartRanges(QChart& chart, const ProfileSeries& series);

// Draws `source` of `scene` onto a white image of `size` pixels.
QImage RenderSceneToImage(QGraphicsScene& scene, const QRectF& source, QSize size);

// Draws `source` of `scene` onto an image of `size` pixels (PNG) or an SVG document whose
// view box is `size` (at 96 dots per inch), titled `title`.
QByteArray RenderSceneImage(QGraphicsScene& scene, const QRectF& source, QSize size, ImageKind kind,
                            const QString& title);

// The chart of `series` alone, `size` pixels, as an image of `kind`.
QByteArray RenderReadingsImage(const ProfileSeries& series, const QString& title, QSize size,
                               ImageKind kind);

// A value as the export prints it ("12.345678").
QString ValueText(float value);
// A reading's time in the user's locale, with seconds.
QString ReadingTimeText(double days);

}  // namespace vantrel::app
