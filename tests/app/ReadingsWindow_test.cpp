// SPDX-License-Identifier: GPL-3.0-or-later
// The readings window: its chart against the decoded readings and the export's texts, the
// format switch, the empty states, zoom by keys and by a dragged rectangle, the tooltip,
// and the pictures it saves and copies.

#include <gmock/gmock.h>

#include <QAbstractButton>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QRadioButton>
#include <QSvgRenderer>
#include <QTest>
#include <QTimer>
#include <QValueAxis>
#include <cmath>
#include <ctime>
#include <functional>
#include <limits>

#include "app/GuiFixture.h"
#include "app/ReadingsChart.h"
#include "app/ReadingsWindow.h"
#include "data/FloatText.h"
#include "ops/ExportText.h"
#include "ops/TestArchives.h"

namespace vantrel::app::test {
namespace {

namespace fs = std::filesystem;
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

QList<QLineSeries*> Lines(QChart* chart) {
    QList<QLineSeries*> lines;
    for (QAbstractSeries* series : chart->series())
        lines.append(qobject_cast<QLineSeries*>(series));
    return lines;
}

QDateTimeAxis* TimeAxis(QChart* chart) {
    return qobject_cast<QDateTimeAxis*>(chart->axes(Qt::Horizontal).value(0));
}

QValueAxis* ValueAxis(QChart* chart) {
    return qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
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
        QChart* chart = window_->Chart();
        const QPointF inChart = chart->mapToPosition(QPointF(msecs, value), chart->series()[0]);
        return window_->ChartView()->mapFromScene(chart->mapToScene(inChart));
    }

    QPointer<CReadingsWindow> window_;
};

TEST_F(ReadingsWindowTest, DrawsOneLinePerDepthWithTheDecodedReadings) {
    const CVantrelArchive archive = SampleArchive();
    CReadingsWindow& window = Open(archive);
    EXPECT_EQ(window.windowTitle(), "Readings - North");
    ASSERT_TRUE(window.IsShowingChart());
    QChart* chart = window.Chart();
    EXPECT_EQ(chart->title(), "North: Profile 3");

    const QList<QLineSeries*> lines = Lines(chart);
    ASSERT_EQ(lines.size(), 3);
    const QStringList labels = {"10cm", "20cm", "30cm"};
    for (int s = 0; s < 3; ++s) {
        QLineSeries* line = lines[s];
        EXPECT_EQ(line->name(), labels[s]);
        ASSERT_EQ(line->count(), 30);
        // The first and last points: the first and last readings, at their local times,
        // with the values the export prints.
        EXPECT_EQ(
            static_cast<qint64>(line->at(0).x()),
            ReadingDateTime(archive.GetProfile(0).GetReadingTime(0).days).toMSecsSinceEpoch());
        EXPECT_EQ(static_cast<qint64>(line->at(29).x()),
                  QDateTime(QDate(2009, 3, 6), QTime(19, 30)).toMSecsSinceEpoch());
        for (const int r : {0, 17, 29}) {
            const std::string cell = FormatFixed6(static_cast<float>(line->at(r).y()));
            EXPECT_EQ(cell, FormatFixed6(archive.GetReadingValue(0, r, s, false)));
            EXPECT_NE(archive.FormatReading(0, r, false).find(cell), std::string::npos);
        }
    }
    EXPECT_EQ(ValueAxis(chart)->titleText(), "Calibrated Moisture Readings");
    EXPECT_EQ(TimeAxis(chart)->titleText(), "Time");
    EXPECT_LE(TimeAxis(chart)->min().toMSecsSinceEpoch(), lines[0]->at(0).x());
    EXPECT_GE(TimeAxis(chart)->max().toMSecsSinceEpoch(), lines[0]->at(29).x());
    EXPECT_THAT(window.findChild<QLabel*>("readingsSummary")->text().toStdString(),
                ::testing::HasSubstr("30 readings at 3 depths"));
}

TEST_F(ReadingsWindowTest, TheSwitchShowsScaledFrequenciesAndThePickerAnotherProfile) {
    const CVantrelArchive archive = SampleArchive();
    CReadingsWindow& window = Open(archive);
    QTest::mouseClick(Find<QRadioButton>(&window, "formatScaled"), Qt::LeftButton);
    EXPECT_EQ(window.Format(), ExportFormat::Scaled);
    QChart* chart = window.Chart();
    EXPECT_EQ(ValueAxis(chart)->titleText(), "Scaled Frequency Readings");
    const QList<QLineSeries*> lines = Lines(chart);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(FormatFixed6(static_cast<float>(lines[2]->at(5).y())),
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
    EXPECT_EQ(window.Chart()->title(), "North: Profile 5");
}

TEST_F(ReadingsWindowTest, AValueThatIsNotANumberLeavesAGapAndOneLegendEntry) {
    const CVantrelArchive archive = SampleArchive();
    CReadingsWindow& window = Open(archive, 1);
    QChart* chart = window.Chart();
    const QList<QLineSeries*> lines = Lines(chart);
    // The first depth in two runs (readings 0-3 and 5-9), the second in one.
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0]->count(), 4);
    EXPECT_EQ(lines[1]->count(), 5);
    EXPECT_EQ(lines[0]->pen().color(), lines[1]->pen().color());
    EXPECT_EQ(lines[2]->count(), 10);
    int visibleMarkers = 0;
    for (QLegendMarker* marker : chart->legend()->markers()) visibleMarkers += marker->isVisible();
    EXPECT_EQ(visibleMarkers, 2);
    for (QLineSeries* line : lines) {
        for (const QPointF& point : line->points()) EXPECT_TRUE(std::isfinite(point.y()));
    }
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
    QChart* chart = window.Chart();
    QDateTimeAxis* time = TimeAxis(chart);
    const qint64 min0 = time->min().toMSecsSinceEpoch();
    const qint64 max0 = time->max().toMSecsSinceEpoch();
    const double valueSpan0 = ValueAxis(chart)->max() - ValueAxis(chart)->min();
    const auto span = [time] { return time->min().msecsTo(time->max()); };

    QTest::keyClick(window.ChartView(), Qt::Key_Plus);
    EXPECT_LT(static_cast<double>(span()), static_cast<double>(max0 - min0) * 0.8);
    const qint64 zoomedSpan = span();
    QTest::keyClick(window.ChartView(), Qt::Key_Left);
    EXPECT_LT(time->min().toMSecsSinceEpoch(), (min0 + max0) / 2 - zoomedSpan / 2);
    const double whole = static_cast<double>(max0 - min0);
    EXPECT_NEAR(static_cast<double>(span()), static_cast<double>(zoomedSpan), 1000.0);
    QTest::keyClick(window.ChartView(), Qt::Key_Minus);
    EXPECT_GT(span(), zoomedSpan);

    QTest::mouseClick(Find<QAbstractButton>(&window, "resetZoomButton"), Qt::LeftButton);
    EXPECT_EQ(time->min().toMSecsSinceEpoch(), min0);
    EXPECT_EQ(time->max().toMSecsSinceEpoch(), max0);

    // A rectangle dragged over the middle of the plot zooms into it.
    const QRectF area = chart->plotArea();
    const QPoint from = window.ChartView()->mapFromScene(
        chart->mapToScene(area.topLeft() + QPointF(area.width() * 0.25, area.height() * 0.25)));
    const QPoint to = window.ChartView()->mapFromScene(
        chart->mapToScene(area.topLeft() + QPointF(area.width() * 0.5, area.height() * 0.75)));
    QWidget* viewport = window.ChartView()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, (from + to) / 2);
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    EXPECT_NEAR(static_cast<double>(span()), whole * 0.25, whole * 0.02);
    EXPECT_LT(ValueAxis(chart)->max() - ValueAxis(chart)->min(), valueSpan0 * 0.6);

    window.ResetZoom();
    EXPECT_EQ(span(), max0 - min0);
}

TEST_F(ReadingsWindowTest, TheTooltipNamesTheNearestReadingsDepthTimeAndValue) {
    const CVantrelArchive archive = SampleArchive();
    CReadingsWindow& window = Open(archive);
    QLineSeries* second = Lines(window.Chart())[1];
    const QPointF reading = second->at(12);
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
    const QSize shown = window.Chart()->geometry().size().toSize();
    const fs::path png = folder_.path() / "chart.PNG";
    const fs::path svg = folder_.path() / "chart.svg";
    ASSERT_TRUE(window.SaveImage(QString::fromStdString(png.string())));
    ASSERT_TRUE(window.SaveImage(QString::fromStdString(svg.string())));

    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(png.string()), "PNG"));
    EXPECT_EQ(image.size(), shown * window.devicePixelRatio());
    QSvgRenderer renderer(QString::fromStdString(svg.string()));
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(QPoint(0, 0), shown));
    const std::string text = ReadBytes(svg);
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
        EXPECT_EQ(QDir(browser.directory()).absolutePath().toStdString(),
                  folders_.desktop->string());
        auto* name = browser.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), "North (Pro03).png");
        name->setText("picture.svg");
        static_cast<QDialog&>(browser).accept();  // public in QDialog
    });
    QTest::mouseClick(Find<QAbstractButton>(&window, "saveImageButton"), Qt::LeftButton);
    QSvgRenderer renderer(QString::fromStdString((*folders_.desktop / "picture.svg").string()));
    EXPECT_TRUE(renderer.isValid());
}

TEST_F(ReadingsWindowTest, EveryControlHasAnObjectNameAndAnAccessibleName) {
    CReadingsWindow& window = Open(SampleArchive());
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(widget) != nullptr ||
                             qobject_cast<QComboBox*>(widget) != nullptr ||
                             qobject_cast<QChartView*>(widget) != nullptr;
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

namespace vantrel::app::test {
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
}

}  // namespace
}  // namespace vantrel::app::test
