// SPDX-License-Identifier: GPL-3.0-or-later
// The readings window: its chart against the decoded readings and the export's texts, the
// format switch, the empty states, zoom by keys and by a dragged rectangle, the tooltip,
// and the pictures it saves and copies.

#include <gmock/gmock.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>
#include <cmath>
#include <functional>
#include <limits>

#include "app/GuiFixture.h"
#include "app/readings/ReadingsWindow.h"
#include "chart/ChartPalette.h"
#include "chart/ReadingsChart.h"
#include "chart/SvgRoot.h"
#include "chart/TimeAxis.h"
#include "data/FloatText.h"
#include "ops/ExportText.h"
#include "ops/TestArchives.h"

namespace vantrel::app::test {
namespace {

namespace fs = std::filesystem;
using chart::DepthColour;
using chart::ReadingDateTime;
using chart::ReadingsChart;
using chart::ReadingTimeText;
using chart::test::SvgRoot;
using vantrel::test::HourlyReadings;
using vantrel::test::MakeArchive;
using vantrel::test::ReadBytes;
using vantrel::test::TestProfile;

TestProfile Profile(const char* key, std::vector<std::int8_t> soilCodes, int readings) {
    TestProfile profile;
    profile.key = key;
    profile.soilCodes = std::move(soilCodes);
    profile.readings = HourlyReadings(0, readings, static_cast<int>(profile.soilCodes.size()));
    return profile;
}

// Profile 3: 30 hourly readings at 3 depths; profile 5: a gap in its first depth;
// profile 7: a data file of records but a stored count of none.
CVantrelArchive SampleArchive() {
    TestProfile gaps = Profile("05", {1, 2}, 10);
    gaps.readings[4].calibrated[0] = std::numeric_limits<float>::quiet_NaN();
    CVantrelArchive archive =
        MakeArchive({Profile("03", {1, 2, 1}, 30), gaps, Profile("07", {1, 2}, 2)});
    archive.m_profiles[2].m_nReadings = 0;
    return archive;
}

const std::vector<ReadingsChart::Line>& Lines(const ReadingsChart* chart) {
    return chart->Lines();
}

class ReadingsWindowTest : public GuiTest {
protected:
    void SetUp() override { MakeSheet(); }

    CReadingsWindow& Open(const CVantrelArchive& archive, int profile = 0) {
        window_ = CReadingsWindow::ShowForBackup(sheet(), &sheet(), archive, "North", profile);
        window_->resize(900, 560);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_));
        QApplication::processEvents();
        return *window_;
    }

    // Where the reading (`msecs`, `value`) is drawn, in the chart view's coordinates.
    QPoint PointOf(qreal msecs, qreal value) {
        return window_->Chart()->MapToPosition(QPointF(msecs, value)).toPoint();
    }

    QPointer<CReadingsWindow> window_;
};

TEST_F(ReadingsWindowTest, DrawsOneLinePerDepthWithTheDecodedReadings) {
    const CVantrelArchive archive = SampleArchive();
    CReadingsWindow& window = Open(archive);
    EXPECT_EQ(window.windowTitle(), "Readings - North");
    ASSERT_TRUE(window.IsShowingChart());
    const ReadingsChart* chart = window.Chart();
    EXPECT_EQ(chart->Title(), "North: Profile 3");

    const auto& lines = Lines(chart);
    ASSERT_EQ(lines.size(), 3u);
    const QStringList labels = {"10cm", "20cm", "30cm"};
    for (int s = 0; s < 3; ++s) {
        const ReadingsChart::Line& line = lines[s];
        EXPECT_EQ(line.name, labels[s]);
        EXPECT_EQ(line.colour, DepthColour(s, 3));
        ASSERT_EQ(line.points.size(), 30u);
        // The first and last points: the first and last readings, at their local times,
        // with the values the export prints.
        EXPECT_EQ(
            static_cast<qint64>(line.points[0].x()),
            ReadingDateTime(archive.GetProfile(0).GetReadingTime(0).days).toMSecsSinceEpoch());
        EXPECT_EQ(static_cast<qint64>(line.points[29].x()),
                  QDateTime(QDate(2009, 3, 6), QTime(19, 30)).toMSecsSinceEpoch());
        for (const int r : {0, 17, 29}) {
            const std::string cell = FormatFixed6(static_cast<float>(line.points[r].y()));
            EXPECT_EQ(cell, FormatFixed6(archive.GetReadingValue(0, r, s, false)));
            EXPECT_NE(archive.FormatReading(0, r, false).find(cell), std::string::npos);
        }
    }
    EXPECT_EQ(chart->ValueTitle(), "Calibrated Moisture Readings");
    EXPECT_EQ(chart->TimeTitle(), "Time");
    EXPECT_LE(chart->TimeRange().min, lines[0].points[0].x());
    EXPECT_GE(chart->TimeRange().max, lines[0].points[29].x());
    // The value range ends on its outermost ticks and holds every value.
    const std::vector<ReadingsChart::Tick> ticks = chart->ValueTicks();
    ASSERT_GE(ticks.size(), 2u);
    const double close = 1e-9 * (chart->ValueRange().max - chart->ValueRange().min);
    EXPECT_NEAR(ticks.front().at, chart->ValueRange().min, close);
    EXPECT_NEAR(ticks.back().at, chart->ValueRange().max, close);
    for (const auto& line : lines) {
        for (const QPointF& point : line.points) {
            EXPECT_TRUE(chart->PlotArea().contains(chart->MapToPosition(point)));
        }
    }
    EXPECT_THAT(window.findChild<QLabel*>("readingsSummary")->text().toStdString(),
                ::testing::HasSubstr("30 readings at 3 depths"));
}

TEST_F(ReadingsWindowTest, TheSwitchShowsScaledFrequenciesAndThePickerAnotherProfile) {
    const CVantrelArchive archive = SampleArchive();
    CReadingsWindow& window = Open(archive);
    QTest::mouseClick(Find<QRadioButton>(&window, "formatScaled"), Qt::LeftButton);
    EXPECT_EQ(window.Format(), ExportFormat::Scaled);
    const ReadingsChart* chart = window.Chart();
    EXPECT_EQ(chart->ValueTitle(), "Scaled Frequency Readings");
    const auto& lines = Lines(chart);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(FormatFixed6(static_cast<float>(lines[2].points[5].y())),
              FormatFixed6(archive.GetReadingValue(0, 5, 2, true)));

    // The picker lists every profile: number, site number, depths and reading period.
    auto* picker = Find<QComboBox>(&window, "profilePicker");
    ASSERT_EQ(picker->count(), 3);
    EXPECT_TRUE(picker->itemText(0).startsWith("1.  Site# 3,  10 - 30cm,  "))
        << picker->itemText(0).toStdString();
    EXPECT_TRUE(picker->itemText(1).contains(" to ")) << picker->itemText(1).toStdString();
    picker->setCurrentIndex(1);
    EXPECT_EQ(window.ProfileIndex(), 1);
    EXPECT_EQ(window.Format(), ExportFormat::Scaled);  // the format stays as chosen
    EXPECT_EQ(window.Chart()->Title(), "North: Profile 5");
}

TEST_F(ReadingsWindowTest, AValueThatIsNotANumberLeavesAGapAndOneLegendEntry) {
    const CVantrelArchive archive = SampleArchive();
    CReadingsWindow& window = Open(archive, 1);
    const ReadingsChart* chart = window.Chart();
    const auto& lines = Lines(chart);
    // The first depth in two runs (readings 0-3 and 5-9), the second in one.
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].points.size(), 4u);
    EXPECT_EQ(lines[1].points.size(), 5u);
    EXPECT_EQ(lines[0].depth, lines[1].depth);
    EXPECT_EQ(lines[0].colour, lines[1].colour);
    EXPECT_EQ(lines[2].points.size(), 10u);
    EXPECT_EQ(chart->Legend().size(), 2u);
    for (const auto& line : lines) {
        for (const QPointF& point : line.points) EXPECT_TRUE(std::isfinite(point.y()));
    }
    // On the picture, the first depth's colour is drawn beside the other's line but not
    // in the gap between reading 3 and reading 5, where the other depth's line runs.
    const QImage picture = window.Picture();
    const qreal ratio = picture.devicePixelRatio();
    const auto drawnNear = [&](const QPointF& at, const QColor& colour) {
        for (int dy = -3; dy <= 3; ++dy) {
            const QPoint p = ((at + QPointF(0, dy)) * ratio).toPoint();
            const QColor c = picture.pixelColor(p);
            if (std::abs(c.hue() - colour.hue()) < 12 && c.saturation() > 80) return true;
        }
        return false;
    };
    const QPointF before = chart->MapToPosition((lines[0].points[2] + lines[0].points[3]) /
                                                2);  // within the first run
    const QPointF gap =
        chart->MapToPosition((lines[0].points[3] + lines[1].points[0]) / 2);  // across the gap
    EXPECT_TRUE(drawnNear(before, lines[0].colour));
    EXPECT_FALSE(drawnNear(gap, lines[0].colour));
    EXPECT_THAT(window.findChild<QLabel*>("readingsSummary")->text().toStdString(),
                ::testing::HasSubstr("1 values cannot be drawn"));
}

TEST_F(ReadingsWindowTest, NothingToDrawShowsWhyAndDisablesThePictureCommands) {
    const CVantrelArchive archive = SampleArchive();
    CReadingsWindow& window = Open(archive, 2);
    EXPECT_FALSE(window.IsShowingChart());
    EXPECT_EQ(window.Chart(), nullptr);
    auto* empty = Find<QLabel>(&window, "emptyState");
    EXPECT_TRUE(empty->isVisible());
    EXPECT_TRUE(empty->text().startsWith("Profile 7 holds no readings."))
        << empty->text().toStdString();
    for (const char* name : {"resetZoomButton", "copyImageButton", "saveImageButton"}) {
        EXPECT_FALSE(Find<QAbstractButton>(&window, name)->isEnabled()) << name;
    }
    EXPECT_FALSE(window.SaveImage(QString::fromStdString((folder_.path() / "x.png").string())));
    EXPECT_FALSE(fs::exists(folder_.path() / "x.png"));
    // Keys and the mouse over the empty window do nothing harmful.
    QTest::keyClick(window.ChartView(), Qt::Key_Plus);
    EXPECT_TRUE(window.ToolTipAt(QPoint(100, 100)).isEmpty());

    // Back to a profile with readings: the chart returns.
    Find<QComboBox>(&window, "profilePicker")->setCurrentIndex(0);
    EXPECT_TRUE(window.IsShowingChart());
    EXPECT_TRUE(Find<QAbstractButton>(&window, "saveImageButton")->isEnabled());

    CReadingsWindow& nothing = Open(CVantrelArchive{});
    EXPECT_FALSE(nothing.IsShowingChart());
    EXPECT_TRUE(nothing.EmptyText().startsWith("The backup holds no profiles."));

    // A profile whose data file is missing: no depths and no reading period to show.
    TestProfile incomplete = Profile("09", {1, 2}, 0);
    incomplete.withData = false;
    CReadingsWindow& missing = Open(MakeArchive({incomplete}));
    EXPECT_EQ(Find<QComboBox>(&missing, "profilePicker")->itemText(0),
              "1.  Site# 9,  incomplete,  no readings");
    EXPECT_EQ(missing.EmptyText(),
              "Profile 9 is incomplete: the backup holds no data file for it.\n\n"
              "Choose another profile above.");
}

TEST_F(ReadingsWindowTest, KeysAndADraggedRectangleZoomAndResetShowsTheWholeProfile) {
    CReadingsWindow& window = Open(SampleArchive());
    const ReadingsChart* chart = window.Chart();
    const auto min0 = static_cast<qint64>(chart->TimeRange().min);
    const auto max0 = static_cast<qint64>(chart->TimeRange().max);
    const double valueSpan0 = chart->ValueRange().Span();
    const auto span = [chart] { return static_cast<qint64>(chart->TimeRange().Span()); };

    QTest::keyClick(window.ChartView(), Qt::Key_Plus);
    EXPECT_LT(static_cast<double>(span()), static_cast<double>(max0 - min0) * 0.8);
    const qint64 zoomedSpan = span();
    QTest::keyClick(window.ChartView(), Qt::Key_Left);
    EXPECT_LT(chart->TimeRange().min, static_cast<double>((min0 + max0) / 2 - zoomedSpan / 2));
    const double whole = static_cast<double>(max0 - min0);
    EXPECT_NEAR(static_cast<double>(span()), static_cast<double>(zoomedSpan), 1000.0);
    QTest::keyClick(window.ChartView(), Qt::Key_Minus);
    EXPECT_GT(span(), zoomedSpan);

    QTest::mouseClick(Find<QAbstractButton>(&window, "resetZoomButton"), Qt::LeftButton);
    EXPECT_EQ(static_cast<qint64>(chart->TimeRange().min), min0);
    EXPECT_EQ(static_cast<qint64>(chart->TimeRange().max), max0);

    // A rectangle dragged over the middle of the plot zooms into it.
    const QRectF area = chart->PlotArea();
    const QPoint from =
        (area.topLeft() + QPointF(area.width() * 0.25, area.height() * 0.25)).toPoint();
    const QPoint to =
        (area.topLeft() + QPointF(area.width() * 0.5, area.height() * 0.75)).toPoint();
    QWidget* viewport = window.ChartView();
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, (from + to) / 2);
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    EXPECT_NEAR(static_cast<double>(span()), whole * 0.25, whole * 0.02);
    EXPECT_LT(chart->ValueRange().Span(), valueSpan0 * 0.6);

    window.ResetZoom();
    EXPECT_EQ(span(), max0 - min0);
    // The wheel zooms about the point under the mouse, which stays where it is.
    const QPointF under = chart->MapToValue(from);
    QWheelEvent wheel(QPointF(from), viewport->mapToGlobal(QPointF(from)), {}, {0, 240},
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    EXPECT_LT(span(), max0 - min0);
    const QPointF still = chart->MapToPosition(under);
    EXPECT_NEAR(still.x(), from.x(), 1.0);
    EXPECT_NEAR(still.y(), from.y(), 1.0);
    // A double click shows the whole profile again.
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, to);
    EXPECT_EQ(span(), max0 - min0);
}

TEST_F(ReadingsWindowTest, TheTooltipNamesTheNearestReadingsDepthTimeAndValue) {
    const CVantrelArchive archive = SampleArchive();
    CReadingsWindow& window = Open(archive);
    const QPointF reading = Lines(window.Chart())[1].points[12];
    const QString text = window.ToolTipAt(PointOf(reading.x(), reading.y()) + QPoint(2, 1));
    const QStringList lines = text.split('\n');
    ASSERT_EQ(lines.size(), 3) << text.toStdString();
    EXPECT_EQ(lines[0], "20cm");
    EXPECT_EQ(lines[1], ReadingTimeText(archive.GetProfile(0).GetReadingTime(12).days));
    EXPECT_EQ(lines[2].toStdString(), FormatFixed6(archive.GetReadingValue(0, 12, 1, false)));
    // Outside the plot area: no tooltip.
    EXPECT_TRUE(window.ToolTipAt(QPoint(1, 1)).isEmpty());
}

TEST_F(ReadingsWindowTest, SavesPngAndSvgOfTheChartAsShownAndCopiesIt) {
    CReadingsWindow& window = Open(SampleArchive());
    const QSize shown = window.Chart()->Size().toSize();
    EXPECT_EQ(shown, window.ChartView()->size());
    const fs::path png = folder_.path() / "chart.PNG";
    const fs::path svg = folder_.path() / "chart.svg";
    ASSERT_TRUE(window.SaveImage(QString::fromStdString(png.string())));
    ASSERT_TRUE(window.SaveImage(QString::fromStdString(svg.string())));

    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(png.string()), "PNG"));
    EXPECT_EQ(image.size(), shown * window.devicePixelRatio());
    const std::string text = ReadBytes(svg);
    const std::optional<QXmlStreamAttributes> root = SvgRoot(QByteArray::fromStdString(text));
    ASSERT_TRUE(root);
    EXPECT_EQ(root->value("viewBox").toString(),
              QStringLiteral("0 0 %1 %2").arg(shown.width()).arg(shown.height()));
    EXPECT_NE(text.find("<title>North: Profile 3</title>"), std::string::npos);
    EXPECT_NE(text.find("10cm"), std::string::npos);

    window.CopyImage();
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), image.size());
    EXPECT_TRUE(prompt_.Texts().empty());
}

TEST_F(ReadingsWindowTest, AFileThatCannotBeWrittenOrNamedIsRefusedWithAMessage) {
    CReadingsWindow& window = Open(SampleArchive());
    EXPECT_FALSE(
        window.SaveImage(QString::fromStdString((folder_.path() / "no" / "c.png").string())));
    ASSERT_EQ(prompt_.Texts().size(), 1u);
    EXPECT_THAT(prompt_.Texts()[0], ::testing::HasSubstr("Could not save the image"));
    EXPECT_THAT(prompt_.Texts()[0], ::testing::HasSubstr("No such file or directory"));
    prompt_.Clear();
    EXPECT_FALSE(window.SaveImage(QString::fromStdString((folder_.path() / "c.jpg").string())));
    ASSERT_EQ(prompt_.Texts().size(), 1u);
    EXPECT_THAT(prompt_.Texts()[0], ::testing::HasSubstr(".png or .svg"));
    EXPECT_FALSE(fs::exists(folder_.path() / "c.jpg"));
}

TEST_F(ReadingsWindowTest, SaveImageAsksForTheFileInTheExportFolder) {
    CReadingsWindow& window = Open(SampleArchive());
    WhenShown<QFileDialog>([&](QFileDialog& browser) {
        EXPECT_EQ(browser.objectName(), "imageBrowser");
        EXPECT_EQ(QDir::toNativeSeparators(QDir(browser.directory()).absolutePath()).toStdString(),
                  folders_.desktop->string());
        auto* name = browser.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), "North (Pro03).png");
        name->setText("picture.svg");
        static_cast<QDialog&>(browser).accept();  // public in QDialog
    });
    QTest::mouseClick(Find<QAbstractButton>(&window, "saveImageButton"), Qt::LeftButton);
    EXPECT_TRUE(SvgRoot(QByteArray::fromStdString(ReadBytes(*folders_.desktop / "picture.svg"))));
}

TEST_F(ReadingsWindowTest, EveryControlHasAnObjectNameAndAnAccessibleName) {
    CReadingsWindow& window = Open(SampleArchive());
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(widget) != nullptr ||
                             qobject_cast<QComboBox*>(widget) != nullptr ||
                             widget == window.ChartView();
        if (!control) continue;
        EXPECT_FALSE(widget->objectName().isEmpty()) << widget->metaObject()->className();
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
    }
    EXPECT_EQ(Find<QLabel>(&window, "profilePickerLabel")->buddy(),
              Find<QComboBox>(&window, "profilePicker"));
}

TEST_F(ReadingsWindowTest, TheWindowKeepsItsOwnCopyAndGoesWhenClosed) {
    auto archive = std::make_unique<CVantrelArchive>(SampleArchive());
    CReadingsWindow& window = Open(*archive, 1);
    archive.reset();  // the page's copy goes as soon as the command returns
    EXPECT_EQ(window.ProfileIndex(), 1);
    Find<QComboBox>(&window, "profilePicker")->setCurrentIndex(0);
    EXPECT_EQ(Lines(window.Chart()).size(), 3);
    QTest::mouseClick(Find<QAbstractButton>(&window, "closeReadingsButton"), Qt::LeftButton);
    QTRY_VERIFY(window_.isNull());
}

}  // namespace
}  // namespace vantrel::app::test
