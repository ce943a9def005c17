// SPDX-License-Identifier: GPL-3.0-or-later
// The readings chart without a window: times through the change to summer time, the ticks
// of the time axis, lines thinned to their pixel columns, the PNG palette, and the SVG
// document with zoom and scrolling.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>
#include <map>

#include "chart/ChartImage.h"
#include "chart/ChartPalette.h"
#include "chart/ColumnThinning.h"
#include "chart/ReadingsChart.h"
#include "chart/SvgRoot.h"
#include "chart/TimeAxis.h"
#include "data/DateTime.h"

namespace vantrel::chart::test {
namespace {

// Sets the local time zone for one test and puts the old one back.
class LocalZone {
public:
    explicit LocalZone(const char* zone)
        : had_(qEnvironmentVariableIsSet("TZ")), old_(qgetenv("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~LocalZone() {
        if (had_) {
            qputenv("TZ", old_);
        } else {
            qunsetenv("TZ");
        }
        tzset();
    }

private:
    bool had_;
    QByteArray old_;
};

double Days(int hour, int minute) {
    return FromCivil(CivilTime{2025, 3, 30, hour, minute, 0}).days;
}

TEST(ReadingsChart, TheLineRunsForwardThroughTheHourSummerTimeSkips) {
    const LocalZone berlin("Europe/Berlin");  // 02:00 to 03:00 on 30 March 2025 do not exist
    if (QDateTime(QDate(2025, 1, 1), QTime(12, 0)).offsetFromUtc() != 3600) {
        GTEST_SKIP()
            << "TZ does not set the local time zone here (Windows takes it from the system)";
    }
    const int clock[][2] = {{1, 0}, {1, 30}, {2, 0}, {2, 30}, {3, 0}, {3, 30}};
    qint64 previous = std::numeric_limits<qint64>::min();
    for (const auto& [hour, minute] : clock) {
        const qint64 time = ChartTimeOf(Days(hour, minute));
        EXPECT_GE(time, previous) << hour << ":" << minute;
        previous = time;
    }
    // The skipped times sit at the end of the gap; the hour before it is an hour earlier.
    EXPECT_EQ(ChartTimeOf(Days(2, 30)), ChartTimeOf(Days(3, 0)));
    EXPECT_EQ(ChartTimeOf(Days(3, 0)) - ChartTimeOf(Days(1, 0)), 3600 * 1000);
    // The tooltip shows the logger's own clock time all the same.
    EXPECT_TRUE(ReadingTimeText(Days(2, 30)).contains("2:30"))
        << ReadingTimeText(Days(2, 30)).toStdString();

    // The times of many readings, with the day's offset looked up once, are the same, on the
    // days of both changes and in a zone whose change skips midnight (Havana, 9 March 2025).
    const auto expectSameTimes = [](int month, int firstDay) {
        ChartTimes times;
        const double from = FromCivil(CivilTime{2025, month, firstDay, 0, 0, 0}).days;
        for (int step = 0; step < 3 * 24 * 6; ++step) {
            const double days = from + step / 144.0;
            ASSERT_EQ(times.Of(days), ChartTimeOf(days)) << month << "/" << firstDay << " " << step;
        }
    };
    expectSameTimes(3, 29);
    expectSameTimes(10, 25);
    const LocalZone havana("America/Havana");
    expectSameTimes(3, 8);
}

// A series of two depths, one reading every `stepMinutes` from 1 June 2025, the first
// depth with a gap at reading 3.
ProfileSeries SteppedSeries(int readings, double stepMinutes) {
    ProfileSeries series;
    series.profileNo = 4;
    series.readings = readings;
    const double start = FromCivil(CivilTime{2025, 6, 1, 0, 0, 0}).days;
    for (int d = 0; d < 2; ++d) {
        DepthSeries depth;
        depth.sensor = d;
        depth.label = std::to_string(10 * (d + 1)) + "cm";
        depth.runs.emplace_back();
        for (int r = 0; r < readings; ++r) {
            if (d == 0 && r == 3) {
                depth.runs.emplace_back();
                continue;
            }
            const float value = static_cast<float>(20 + d * 5 + r % 7);
            depth.runs.back().push_back({start + r * stepMinutes / 1440.0, value, r});
        }
        series.depths.push_back(std::move(depth));
    }
    return series;
}

TEST(ReadingsChart, TimeTicksFallOnRoundTimesThatFitTheSpan) {
    const LocalZone utc("UTC");
    struct Case {
        double stepMinutes;  // between readings (40 of them)
        bool clock;          // labels with a clock time
        bool midnight;       // every tick at midnight
        bool firstOfMonth;   // every tick on the first of a month
    };
    // Spans of about 40 minutes, 40 hours, 40 days and 40 months.
    for (const Case c : {Case{1, true, false, false}, Case{60, true, false, false},
                         Case{1440, false, true, false}, Case{1440 * 30.5, false, true, true}}) {
        ReadingsChart chart(SteppedSeries(40, c.stepMinutes), "T", QApplication::font());
        chart.SetSize(QSizeF(800, 400));
        chart.Reset();
        const std::vector<ReadingsChart::Tick> ticks = chart.TimeTicks();
        ASSERT_GE(ticks.size(), 3u) << c.stepMinutes;
        EXPECT_LE(ticks.size(), 16u) << c.stepMinutes;
        const QFontMetricsF metrics(QApplication::font());
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            const QDateTime at = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ticks[i].at));
            EXPECT_GE(ticks[i].at, chart.TimeRange().min);
            EXPECT_LE(ticks[i].at, chart.TimeRange().max);
            EXPECT_EQ(at.time().second(), 0) << ticks[i].label.toStdString();
            EXPECT_EQ(ticks[i].label.contains(u':'), c.clock) << ticks[i].label.toStdString();
            if (c.midnight) {
                EXPECT_EQ(at.time(), QTime(0, 0)) << ticks[i].label.toStdString();
            }
            if (c.firstOfMonth) {
                EXPECT_EQ(at.date().day(), 1) << ticks[i].label.toStdString();
            }
            if (i == 0) continue;
            // Labels do not run into each other.
            const double apart = chart.MapToPosition({ticks[i].at, 0}).x() -
                                 chart.MapToPosition({ticks[i - 1].at, 0}).x();
            EXPECT_GT(apart, metrics.horizontalAdvance(ticks[i].label.section(u'\n', 0, 0)))
                << ticks[i].label.toStdString();
        }
    }
}

// Each pixel column's points of `line`: the first, last, lowest and highest, and how many.
struct ColumnSpan {
    QPointF first, last;
    double low = 0, high = 0;
    int count = 0;
};
std::map<int, ColumnSpan> ColumnSpans(const std::vector<QPointF>& line) {
    std::map<int, ColumnSpan> spans;
    for (const QPointF& point : line) {
        ColumnSpan& span = spans[static_cast<int>(std::floor(point.x()))];
        if (span.count++ == 0) {
            span.first = point;
            span.low = span.high = point.y();
        }
        span.last = point;
        span.low = std::min(span.low, point.y());
        span.high = std::max(span.high, point.y());
    }
    return spans;
}

TEST(ReadingsChart, ThinnedLinesKeepEachColumnsEndsAndExtremesAndBreakAtGaps) {
    // Column 0: six points, the highest and lowest inside; column 1: three, all kept;
    // column 2: five whose first is also its lowest.
    const std::vector<QPointF> line = {{0.1, 5}, {0.2, 9}, {0.3, 1}, {0.5, 4}, {0.7, 3},
                                       {0.9, 6}, {1.2, 2}, {1.5, 8}, {1.8, 2}, {2.0, 0},
                                       {2.2, 3}, {2.4, 7}, {2.6, 2}, {2.8, 1}};
    std::vector<QPointF> thinned = line;
    ThinToColumns(thinned, 1.0);
    EXPECT_EQ(thinned, (std::vector<QPointF>{{0.1, 5},
                                             {0.2, 9},
                                             {0.3, 1},
                                             {0.9, 6},
                                             {1.2, 2},
                                             {1.5, 8},
                                             {1.8, 2},
                                             {2.0, 0},
                                             {2.4, 7},
                                             {2.8, 1}}));
    // Half-pixel columns (a screen at scale 2) hold at most three of these; a vector
    // picture keeps every point.
    for (const double width : {0.5, 0.0}) {
        thinned = line;
        ThinToColumns(thinned, width);
        EXPECT_EQ(thinned, line) << width;
    }

    // Ten points a column, up and down: each column keeps where the line enters and leaves
    // it and its height, from at most four of its points taken in order.
    std::vector<QPointF> dense;
    for (int i = 0; i < 3000; ++i) {
        dense.emplace_back(10 + i * 0.1, 100 + 60 * std::sin(i * 0.013) + 9 * std::sin(i * 1.7));
    }
    thinned = dense;
    ThinToColumns(thinned, 1.0);
    EXPECT_TRUE(std::includes(dense.begin(), dense.end(), thinned.begin(), thinned.end(),
                              [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
    const std::map<int, ColumnSpan> before = ColumnSpans(dense);
    const std::map<int, ColumnSpan> after = ColumnSpans(thinned);
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [column, span] : before) {
        const ColumnSpan& kept = after.at(column);
        EXPECT_EQ(kept.first, span.first) << column;
        EXPECT_EQ(kept.last, span.last) << column;
        EXPECT_EQ(kept.low, span.low) << column;
        EXPECT_EQ(kept.high, span.high) << column;
        EXPECT_LE(kept.count, 4) << column;
    }

    // A chart of many readings a pixel, with a gap over a quarter of them: no line across it.
    ProfileSeries series = SteppedSeries(4000, 10);
    series.depths.resize(1);
    auto& runs = series.depths[0].runs;
    std::vector<ReadingPoint> later(runs[1].begin() + 2500, runs[1].end());
    runs[1].resize(1500);
    runs.push_back(std::move(later));
    ReadingsChart chart(series, "Gap", QApplication::font());
    chart.SetSize(QSizeF(600, 400));
    chart.Reset();
    const QImage picture = RenderChart(chart);
    ASSERT_EQ(chart.Lines().size(), 3u);
    const double gapMiddle =
        (chart.Lines()[1].points.back().x() + chart.Lines()[2].points.front().x()) / 2.0;
    const int middle = static_cast<int>(chart.MapToPosition(QPointF(gapMiddle, 0)).x());
    const QRectF plot = chart.PlotArea();
    for (int y = static_cast<int>(plot.top()) + 1; y < static_cast<int>(plot.bottom()); ++y) {
        const QColor pixel = picture.pixelColor(middle, y);
        ASSERT_LT(pixel.hsvSaturation(), 40) << y;  // grey grid or white, never the line
    }
}

TEST(ReadingsChart, ThePngPaletteKeepsEveryDepthsColourAndStaysCloseToThePicture) {
    ProfileSeries series = SteppedSeries(40, 60);
    // Sixteen depths: as many colours as a logger has sensors.
    for (int d = 2; d < 16; ++d) {
        DepthSeries depth = series.depths[1];
        depth.sensor = d;
        depth.label = std::to_string(10 * (d + 1)) + "cm";
        for (ReadingPoint& point : depth.runs[0]) point.value += static_cast<float>(d);
        series.depths.push_back(std::move(depth));
    }
    ReadingsChart chart(series, "Palette", QApplication::font());
    chart.SetSize(QSizeF(600, 400));
    const QList<QRgb> palette = chart.Palette();
    EXPECT_LE(palette.size(), 256);
    for (const ReadingsChart::LegendEntry& entry : chart.Legend()) {
        EXPECT_TRUE(palette.contains(entry.colour.rgb())) << entry.name.toStdString();
    }
    const QImage picture = RenderChart(chart);
    const QImage indexed = ToPalette(picture, palette);
    ASSERT_EQ(indexed.size(), picture.size());
    // Only where lines cross (a blend of two colours) may a pixel be off by much.
    int off = 0;
    int worst = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb a = picture.pixel(x, y);
            const QRgb b = indexed.pixel(x, y);
            const int error =
                std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                          std::abs(qBlue(a) - qBlue(b))});
            off += error > 16 ? 1 : 0;
            worst = std::max(worst, error);
        }
    }
    EXPECT_LT(off, picture.width() * picture.height() / 200) << "worst " << worst;
    EXPECT_LE(worst, 96);
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(RenderChartPng(chart), "PNG"));
    EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB32),
              indexed.convertToFormat(QImage::Format_RGB32));
}

TEST(ReadingsChart, TheSvgIsWellFormedEscapedAndDrawsEachRunOnItsOwn) {
    const ProfileSeries series = SteppedSeries(10, 60);
    ReadingsChart chart(series, "North <2> & \"3\"", QApplication::font());
    chart.SetSize(QSizeF(500, 300));
    const QByteArray svg = RenderChartSvg(chart);
    const std::optional<QXmlStreamAttributes> root = SvgRoot(svg);
    ASSERT_TRUE(root) << svg.left(300).toStdString();
    EXPECT_EQ(root->value("viewBox"), QLatin1String("0 0 500 300"));
    EXPECT_TRUE(svg.contains("<title>North &lt;2&gt; &amp; &quot;3&quot;</title>"));
    // The first depth: two runs and its legend swatch; the second: one run and its swatch.
    for (const auto& [depth, strokes] : {std::pair{0, 3}, std::pair{1, 2}}) {
        const QByteArray stroke =
            "<polyline fill=\"none\" stroke=\"" + DepthColour(depth, 2).name().toLatin1() + "\"";
        EXPECT_EQ(svg.count(stroke), strokes) << depth;
    }

    // Zoom refuses what would leave nothing to see, and reset brings back the whole.
    const ReadingsChart::Range whole = chart.TimeRange();
    chart.ZoomTo(QRectF(chart.PlotArea().center(), QSizeF(2, 2)));
    chart.SetRanges({5, 4}, {0, 1});
    chart.SetRanges({0, std::numeric_limits<double>::infinity()}, {0, 1});
    EXPECT_EQ(chart.TimeRange(), whole);
    EXPECT_FALSE(chart.IsZoomed());
    chart.Scroll(chart.PlotArea().width() / 2, 0);
    EXPECT_TRUE(chart.IsZoomed());
    EXPECT_NEAR(chart.TimeRange().min, whole.min + whole.Span() / 2, 1.0);
    // Scrolled, the earlier half of the lines is cut off at the plot's left edge.
    QXmlStreamReader xml(RenderChartSvg(chart));
    double leftmost = chart.Size().width();
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QString stroke = xml.attributes().value("stroke").toString();
        if (stroke != DepthColour(0, 2).name() && stroke != DepthColour(1, 2).name()) continue;
        for (const QString& pair : xml.attributes().value("points").toString().split(u' ')) {
            if (!pair.isEmpty()) leftmost = std::min(leftmost, pair.section(u',', 0, 0).toDouble());
        }
    }
    EXPECT_FALSE(xml.hasError());
    EXPECT_NEAR(leftmost, chart.PlotArea().left(), 3.0);
    chart.Reset();
    EXPECT_EQ(chart.TimeRange(), whole);
    const double low = chart.ValueRange().min;
    chart.Scroll(0, 20);  // up: higher values
    EXPECT_TRUE(chart.IsZoomed());
    EXPECT_GT(chart.ValueRange().min, low);
}

}  // namespace
}  // namespace vantrel::chart::test
