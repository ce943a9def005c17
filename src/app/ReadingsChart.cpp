// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReadingsChart.h"

#include <png.h>
#include <QBuffer>
#include <QChart>
#include <QCoreApplication>
#include <QDateTimeAxis>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QPen>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "data/DateTime.h"
#include "data/FloatText.h"

namespace vantrel::app {
namespace {

constexpr double kMsecsPerDay = 86400000.0;
// A chart of a single instant or a single value still needs an axis of some length.
constexpr double kLoneTimeMargin = 1.0 / 24.0;  // an hour either side
constexpr double kLoneValueMargin = 1.0;
constexpr qreal kLineWidth = 1.0;

// The time axis shows dates only once it spans more than this many days.
constexpr double kDateOnlySpanDays = 3.0;

QString TimeAxisFormat(double spanDays) {
    const QLocale locale;
    const QString date = locale.dateFormat(QLocale::ShortFormat);
    if (spanDays > kDateOnlySpanDays) return date;
    // Ticks fall anywhere in a minute: their seconds would only crowd the labels.
    static const QRegularExpression seconds(QStringLiteral("[:.]s{1,2}"));
    return date + u' ' + locale.timeFormat(QLocale::ShortFormat).remove(seconds);
}

struct Ranges {
    double minTime, maxTime;
    double minValue, maxValue;
};

Ranges WholeRanges(const ProfileSeries& series) {
    Ranges r{static_cast<double>(ChartTimeOf(series.firstDay)),
             static_cast<double>(ChartTimeOf(series.lastDay)), series.minValue, series.maxValue};
    if (r.maxTime <= r.minTime) {
        r.minTime -= kLoneTimeMargin * kMsecsPerDay;
        r.maxTime += kLoneTimeMargin * kMsecsPerDay;
    }
    if (r.maxValue <= r.minValue) {
        r.minValue -= kLoneValueMargin;
        r.maxValue += kLoneValueMargin;
    } else {
        const double margin = (r.maxValue - r.minValue) * 0.05;
        r.minValue -= margin;
        r.maxValue += margin;
    }
    return r;
}

QDateTimeAxis* TimeAxis(QChart& chart) {
    const auto axes = chart.axes(Qt::Horizontal);
    return axes.isEmpty() ? nullptr : qobject_cast<QDateTimeAxis*>(axes.front());
}

QValueAxis* ValueAxis(QChart& chart) {
    const auto axes = chart.axes(Qt::Vertical);
    return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.front());
}

// The PNG encoder's output, appended to as libpng writes.
struct PngOutput {
    std::vector<unsigned char> bytes;
};

void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* output = static_cast<PngOutput*>(png_get_io_ptr(png));
    try {
        output->bytes.insert(output->bytes.end(), data, data + length);
    } catch (const std::bad_alloc&) {
        png_error(png, "out of memory");
    }
}

void FlushNothing(png_structp) {}

// Writes the rows of an RGB888 image; false when libpng gave up. Only plain values live in
// this frame, as libpng leaves it by a long jump on an error.
bool WritePng(const QImage& rgb, PngOutput& output) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &output, AppendPngBytes, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(rgb.width()),
                 static_cast<png_uint_32>(rgb.height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // A chart is mostly flat colour: without row filters and at a low zlib level the file
    // is as small as with the adaptive filters, and written several times faster.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    for (int y = 0; y < rgb.height(); ++y) {
        png_write_row(png, const_cast<png_bytep>(rgb.constScanLine(y)));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

QByteArray EncodePng(const QImage& image) {
    PngOutput output;
    if (!WritePng(image.convertToFormat(QImage::Format_RGB888), output)) {
        throw std::bad_alloc();
    }
    return QByteArray(reinterpret_cast<const char*>(output.bytes.data()),
                      static_cast<qsizetype>(output.bytes.size()));
}

// The calendar date and clock time of a reading as the logger's clock gave it (no time
// zone), as the export prints it.
struct ReadingClock {
    QDate date;
    QTime time;
};

std::optional<ReadingClock> ClockOf(double days) {
    const std::optional<CivilTime> civil = ToCivil(DateTimeValue{days, DateTimeValue::kValid});
    if (!civil) return std::nullopt;
    return ReadingClock{QDate(civil->year, civil->month, civil->day),
                        QTime(civil->hour, civil->minute, civil->second)};
}

}  // namespace

std::optional<ImageKind> ImageKindOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) return ImageKind::Png;
    if (suffix == QLatin1String("svg")) return ImageKind::Svg;
    return std::nullopt;
}

QDateTime ReadingDateTime(double days) {
    const std::optional<ReadingClock> clock = ClockOf(days);
    if (!clock) return {};
    QDateTime time(clock->date, clock->time);
    // A clock time that the change to summer time skips does not exist in local time: it
    // is placed at the end of the gap, so that the line still runs forward through it.
    const int start = clock->time.hour() * 60 + clock->time.minute();
    for (int m = start + 1; !time.isValid() && m <= start + 26 * 60; ++m) {
        time = QDateTime(clock->date.addDays(m / 1440), QTime(m % 1440 / 60, m % 60));
    }
    return time;
}

qint64 ChartTimeOf(double days) {
    const QDateTime time = ReadingDateTime(days);
    // Outside the years a calendar date can hold: kept in order on the axis all the same.
    if (!time.isValid()) return static_cast<qint64>((days - 25569.0) * kMsecsPerDay);
    return time.toMSecsSinceEpoch();
}

double DaysOfChartTime(double msecs) {
    const qint64 whole = static_cast<qint64>(std::floor(msecs / 1000.0)) * 1000;
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(whole);
    const QDate date = time.date();
    const QTime clock = time.time();
    const DateTimeValue value = FromCivil(CivilTime{date.year(), date.month(), date.day(),
                                                    clock.hour(), clock.minute(), clock.second()});
    if (!value.IsValid()) return msecs / kMsecsPerDay + 25569.0;
    return value.days + (msecs - static_cast<double>(whole)) / kMsecsPerDay;
}

QColor DepthColour(int sensor, int sensors) {
    // Hues from red (0) to violet (0.75); yellows and greens are darkened a little so that
    // they stand out on white.
    const double position = sensors <= 1 ? 0.0 : static_cast<double>(sensor) / (sensors - 1);
    const double hue = 0.75 * position;
    const double brightness = (hue > 0.10 && hue < 0.45) ? 0.70 : 0.85;
    return QColor::fromHsvF(static_cast<float>(hue), 0.85f, static_cast<float>(brightness));
}

QString ChartTitle(const QString& backupTitle, const ProfileSeries& series) {
    const QString profile = QStringLiteral("Profile %1").arg(series.profileNo);
    return backupTitle.isEmpty() ? profile : backupTitle + QStringLiteral(": ") + profile;
}

QChart* BuildReadingsChart(const ProfileSeries& series, const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    QFont titleFont = chart->titleFont();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    chart->setTitleFont(titleFont);
    // The chart fills its view or image: no rounded card with a margin around it.
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setShowToolTips(true);

    auto* timeAxis = new QDateTimeAxis(chart);
    timeAxis->setTitleText(QStringLiteral("Time"));
    timeAxis->setTickCount(5);
    auto* valueAxis = new QValueAxis(chart);
    valueAxis->setTitleText(QString::fromUtf8(ExportFormatCaption(series.format).data()));
    valueAxis->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(timeAxis, Qt::AlignBottom);
    chart->addAxis(valueAxis, Qt::AlignLeft);

    // The reading times on the axis, each converted once for all depths.
    std::vector<qint64> times(static_cast<std::size_t>(std::max(series.readings, 0)), 0);
    std::vector<bool> converted(times.size(), false);
    const auto timeOf = [&](const ReadingPoint& point) {
        const auto r = static_cast<std::size_t>(point.reading);
        if (r >= times.size()) return ChartTimeOf(point.days);
        if (!converted[r]) {
            times[r] = ChartTimeOf(point.days);
            converted[r] = true;
        }
        return times[r];
    };

    const int sensors = static_cast<int>(series.depths.size());
    for (const DepthSeries& depth : series.depths) {
        QPen pen(DepthColour(depth.sensor, sensors));
        pen.setWidthF(kLineWidth);
        bool first = true;
        for (const auto& run : depth.runs) {
            auto* line = new QLineSeries;
            line->setName(QString::fromStdString(depth.label));
            line->setPen(pen);
            QList<QPointF> points;
            points.reserve(static_cast<qsizetype>(run.size()));
            for (const ReadingPoint& point : run) {
                points.append(QPointF(static_cast<qreal>(timeOf(point)), point.value));
            }
            line->replace(points);
            // A reading between two gaps has no line to either side: a dot shows it.
            if (run.size() == 1) line->setPointsVisible(true);
            chart->addSeries(line);
            line->attachAxis(timeAxis);
            line->attachAxis(valueAxis);
            // The depth appears once in the legend, however many runs its line has.
            if (!first) {
                for (QLegendMarker* marker : chart->legend()->markers(line))
                    marker->setVisible(false);
            }
            first = false;
        }
    }

    QObject::connect(timeAxis, &QDateTimeAxis::rangeChanged, timeAxis,
                     [timeAxis](const QDateTime& min, const QDateTime& max) {
                         const double span = static_cast<double>(min.msecsTo(max)) / kMsecsPerDay;
                         timeAxis->setFormat(TimeAxisFormat(span));
                     });
    ResetChartRanges(*chart, series);
    return chart;
}

void ResetChartRanges(QChart& chart, const ProfileSeries& series) {
    QDateTimeAxis* timeAxis = TimeAxis(chart);
    QValueAxis* valueAxis = ValueAxis(chart);
    if (timeAxis == nullptr || valueAxis == nullptr) return;
    const Ranges whole = WholeRanges(series);
    timeAxis->setFormat(TimeAxisFormat((whole.maxTime - whole.minTime) / kMsecsPerDay));
    timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(whole.minTime)),
                       QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(whole.maxTime)));
    valueAxis->setRange(whole.minValue, whole.maxValue);
    valueAxis->applyNiceNumbers();
}

QImage RenderSceneToImage(QGraphicsScene& scene, const QRectF& source, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), source, Qt::IgnoreAspectRatio);
    return image;
}

QByteArray RenderSceneImage(QGraphicsScene& scene, const QRectF& source, QSize size, ImageKind kind,
                            const QString& title) {
    if (kind == ImageKind::Png) return EncodePng(RenderSceneToImage(scene, source, size));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QRectF target(QPointF(0, 0), QSizeF(size));
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(96);
    svg.setTitle(title);
    svg.setDescription(QStringLiteral("Soil moisture readings"));
    {
        QPainter painter(&svg);
        painter.fillRect(target, Qt::white);
        scene.render(&painter, target, source, Qt::IgnoreAspectRatio);
    }
    return bytes;
}

QByteArray RenderReadingsImage(const ProfileSeries& series, const QString& title, QSize size,
                               ImageKind kind) {
    QGraphicsScene scene;
    QChart* chart = BuildReadingsChart(series, title);
    scene.addItem(chart);  // the scene owns the chart from here
    const QRectF area(QPointF(0, 0), QSizeF(size));
    chart->setGeometry(area);
    scene.setSceneRect(area);
    // The chart lays its axes and legend out on a posted request: carry it out now.
    chart->layout()->activate();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    return RenderSceneImage(scene, area, size, kind, title);
}

QString ValueText(float value) {
    return QString::fromStdString(FormatFixed6(value));
}

QString ReadingTimeText(double days) {
    const std::optional<ReadingClock> clock = ClockOf(days);
    if (!clock) return QString::fromStdString(FormatReadingStamp({days, 0}));
    const QLocale locale;
    QString format = locale.timeFormat(QLocale::ShortFormat);
    // The short form often leaves the seconds out; a reading off the minute shows them.
    if (!format.contains(u's') && clock->time.second() != 0) {
        format.replace(QStringLiteral("mm"), QStringLiteral("mm:ss"));
    }
    return locale.toString(clock->date, QLocale::ShortFormat) + u' ' +
           locale.toString(clock->time, format);
}

}  // namespace vantrel::app
