// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "data/FloatText.h"
#include "ops/BackupSorting.h"
#include "ops/ExportText.h"
#include "ops/ProfileSeries.h"
#include "ops/TestArchives.h"
#include "sample/ImageFolder.h"
#include "sample/LoggerFileEncoding.h"
#include "sample/SampleImage.h"

namespace vantrel {
namespace {

using test::HourlyReadings;
using test::MakeArchive;
using test::MarchFifthPlusHours;
using test::TestProfile;

// The cells of the export's reading lines: cells[r][0] is the time stamp, then one value
// text per sensor.
std::vector<std::vector<std::string>> ExportCells(const CVantrelArchive& archive, int index,
                                                  ExportFormat format) {
    std::vector<std::vector<std::string>> cells;
    std::istringstream lines(BuildExportBlocks(archive, index, format).readings);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> row;
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = line.find(", ", start);
            row.push_back(line.substr(start, comma - start));
            if (comma == std::string::npos) break;
            start = comma + 2;
        }
        cells.push_back(row);
    }
    return cells;
}

std::vector<std::string> HeaderColumns(const CVantrelArchive& archive, int index) {
    std::vector<std::string> columns;
    const std::string header = archive.GetDepthHeader(index);
    std::size_t start = 0;
    while (start < header.size()) {
        const std::size_t comma = header.find(", ", start);
        columns.push_back(header.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 2;
    }
    return columns;
}

// Every point of every series prints as the export's cell of its reading and sensor, and
// every finite cell of the export is a point: nothing lost, nothing invented.
void ExpectSeriesMatchExport(const CVantrelArchive& archive, int index, ExportFormat format) {
    const ProfileSeries series = BuildProfileSeries(archive, index, format);
    const auto cells = ExportCells(archive, index, format);
    ASSERT_EQ(series.readings, static_cast<int>(cells.size()));
    ASSERT_EQ(series.depths.size(), HeaderColumns(archive, index).size());
    std::size_t finiteCells = 0;
    for (const auto& row : cells) {
        for (std::size_t c = 1; c < row.size(); ++c) {
            if (row[c] != "nan" && row[c] != "-nan" && row[c] != "inf" && row[c] != "-inf") {
                ++finiteCells;
            }
        }
    }
    EXPECT_EQ(series.PointCount(), finiteCells);
    EXPECT_EQ(series.PointCount() + static_cast<std::size_t>(series.unplottableValues),
              static_cast<std::size_t>(series.readings) * series.depths.size());
    const std::vector<std::string> columns = HeaderColumns(archive, index);
    for (const DepthSeries& depth : series.depths) {
        EXPECT_EQ(depth.label, columns[static_cast<std::size_t>(depth.sensor)]);
        for (const auto& run : depth.runs) {
            ASSERT_FALSE(run.empty());
            for (const ReadingPoint& point : run) {
                const auto& row = cells[static_cast<std::size_t>(point.reading)];
                EXPECT_EQ(FormatFixed6(point.value),
                          row[static_cast<std::size_t>(depth.sensor) + 1])
                    << depth.label << " reading " << point.reading;
                EXPECT_EQ(FormatReadingStamp(DateTimeValue{point.days, DateTimeValue::kValid}),
                          row[0]);
            }
        }
    }
}

TEST(ProfileSeries, OneSeriesPerDepthWithTheExportsLabelsValuesAndTimes) {
    TestProfile profile;
    profile.soilCodes = {1, 2, 1};
    profile.readings = HourlyReadings(0, 24, 3);
    const CVantrelArchive archive = MakeArchive({profile});
    const ProfileSeries series = BuildProfileSeries(archive, 0, ExportFormat::Calibrated);

    ASSERT_FALSE(series.IsEmpty());
    EXPECT_EQ(series.profileNo, 3);
    EXPECT_EQ(series.readings, 24);
    ASSERT_EQ(series.depths.size(), 3u);
    EXPECT_EQ(series.depths[0].label, "10cm");
    EXPECT_EQ(series.depths[2].label, "30cm");
    for (const DepthSeries& depth : series.depths) {
        ASSERT_EQ(depth.runs.size(), 1u);
        EXPECT_EQ(depth.runs[0].size(), 24u);
    }
    // First and last points: the first and last readings, at their times.
    const auto& run = series.depths[1].runs[0];
    EXPECT_EQ(run.front().reading, 0);
    EXPECT_EQ(run.front().value, 10.5f);
    EXPECT_EQ(run.front().days, archive.GetProfile(0).GetReadingTime(0).days);
    EXPECT_EQ(run.back().reading, 23);
    EXPECT_EQ(run.back().value, 33.5f);
    EXPECT_EQ(FormatReadingStamp(DateTimeValue{run.back().days, DateTimeValue::kValid}),
              "06 Mar 2009 13:30:00");
    EXPECT_EQ(series.firstDay, run.front().days);
    EXPECT_EQ(series.lastDay, run.back().days);
    EXPECT_EQ(series.minValue, 10.0f);
    EXPECT_EQ(series.maxValue, 34.0f);

    ExpectSeriesMatchExport(archive, 0, ExportFormat::Calibrated);
    ExpectSeriesMatchExport(archive, 0, ExportFormat::Scaled);
}

TEST(ProfileSeries, ASampleBackupMatchesItsExportInBothFormats) {
    // A realistic image packed like a backup: 16 depths, values with many digits.
    const auto files =
        sample::MakeSampleImage({.profiles = 2, .readings = 300, .sensors = 16, .seed = 7});
    std::vector<std::string> names, contents;
    for (const sample::LoggerFile& file : files) {
        names.push_back(file.name);
        contents.push_back(sample::ToHexText(file.bytes));
    }
    CVantrelArchive archive;
    ASSERT_EQ(SortBackupFiles(names, contents, archive), BackupSortResult::Ok);
    archive.ScanProfiles();
    ASSERT_EQ(archive.GetProfileCount(), 2);
    for (int i = 0; i < archive.GetProfileCount(); ++i) {
        EXPECT_EQ(BuildProfileSeries(archive, i, ExportFormat::Calibrated).depths.size(), 16u);
        ExpectSeriesMatchExport(archive, i, ExportFormat::Calibrated);
        ExpectSeriesMatchExport(archive, i, ExportFormat::Scaled);
    }
}

TEST(ProfileSeries, ValuesThatAreNotFiniteBecomeGapsNeverPoints) {
    constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    TestProfile profile;
    profile.readings = HourlyReadings(0, 6, 2);
    profile.readings[0].calibrated[0] = kNan;  // a gap at the start: no empty run
    profile.readings[2].calibrated[0] = kInf;
    profile.readings[3].calibrated[0] = -kInf;
    profile.readings[5].calibrated[1] = kNan;  // a gap at the end
    const CVantrelArchive archive = MakeArchive({profile});
    const ProfileSeries series = BuildProfileSeries(archive, 0, ExportFormat::Calibrated);

    EXPECT_EQ(series.unplottableValues, 4);
    const DepthSeries& first = series.depths[0];
    ASSERT_EQ(first.runs.size(), 2u);
    EXPECT_EQ(first.runs[0].size(), 1u);  // reading 1
    EXPECT_EQ(first.runs[0][0].reading, 1);
    EXPECT_EQ(first.runs[1].size(), 2u);  // readings 4 and 5
    EXPECT_EQ(first.runs[1][0].reading, 4);
    ASSERT_EQ(series.depths[1].runs.size(), 1u);
    EXPECT_EQ(series.depths[1].runs[0].size(), 5u);
    EXPECT_TRUE(std::isfinite(series.maxValue));
    EXPECT_TRUE(std::isfinite(series.minValue));
    ExpectSeriesMatchExport(archive, 0, ExportFormat::Calibrated);
}

TEST(ProfileSeries, ReadingsOutOfTimeOrderAreDrawnInTimeOrder) {
    TestProfile profile;
    profile.readings = HourlyReadings(0, 4, 2);
    std::swap(profile.readings[1], profile.readings[3]);  // the logger's clock was set back
    const CVantrelArchive archive = MakeArchive({profile});
    const ProfileSeries series = BuildProfileSeries(archive, 0, ExportFormat::Calibrated);
    const auto& run = series.depths[0].runs[0];
    ASSERT_EQ(run.size(), 4u);
    EXPECT_EQ(run[1].reading, 3);
    EXPECT_EQ(run[2].reading, 2);
    EXPECT_EQ(run[3].reading, 1);
    for (std::size_t k = 1; k < run.size(); ++k) EXPECT_LT(run[k - 1].days, run[k].days);
    ExpectSeriesMatchExport(archive, 0, ExportFormat::Calibrated);
}

TEST(ProfileSeries, InchesAndAStoredCountBeyondTheRecordsFollowTheExport) {
    TestProfile profile;
    profile.inches = true;
    profile.readings = HourlyReadings(0, 3, 2);
    CVantrelArchive archive = MakeArchive({profile});
    archive.m_profiles[0].m_nReadings = 50;  // more than the data text holds
    const ProfileSeries series = BuildProfileSeries(archive, 0, ExportFormat::Calibrated);
    EXPECT_EQ(series.readings, 3);
    EXPECT_EQ(series.depths[1].label, "8inches");
    ExpectSeriesMatchExport(archive, 0, ExportFormat::Calibrated);
}

TEST(ProfileSeries, ProfilesWithNothingToDrawGiveAnEmptySetAndTheReason) {
    TestProfile noReadings;  // records present, but a stored count of none
    noReadings.key = "04";
    noReadings.readings = HourlyReadings(0, 3, 2);
    TestProfile noSensors;
    noSensors.key = "05";
    noSensors.soilCodes = {};
    noSensors.readings = HourlyReadings(0, 3, 0);
    TestProfile noData;
    noData.key = "06";
    noData.withData = false;
    TestProfile allNan;
    allNan.key = "07";
    allNan.soilCodes = {1};
    allNan.readings = HourlyReadings(0, 2, 1);
    for (auto& reading : allNan.readings) {
        reading.calibrated[0] = std::numeric_limits<float>::quiet_NaN();
    }
    TestProfile emptyData;  // a data file of no records reads like a missing one
    emptyData.key = "08";
    CVantrelArchive archive = MakeArchive({noReadings, noSensors, noData, allNan, emptyData});
    archive.m_profiles[0].m_nReadings = 0;

    struct Case {
        int index;
        SeriesGap gap;
        const char* reason;
        bool scaledToo;  // the scaled frequencies of profile 7 are finite
    };
    for (const Case& c : {Case{0, SeriesGap::NoReadings, "Profile 4 holds no readings.", true},
                          Case{1, SeriesGap::NoSensors, "profile 5 hold no sensor values", true},
                          Case{2, SeriesGap::NoDataFile, "Profile 6 is incomplete", true},
                          Case{3, SeriesGap::NothingPlottable, "No reading of profile 7", false},
                          Case{4, SeriesGap::NoDataFile, "Profile 8 is incomplete", true}}) {
        for (const ExportFormat format : {ExportFormat::Calibrated, ExportFormat::Scaled}) {
            if (format == ExportFormat::Scaled && !c.scaledToo) continue;
            const ProfileSeries series = BuildProfileSeries(archive, c.index, format);
            EXPECT_TRUE(series.IsEmpty()) << c.index;
            EXPECT_EQ(series.PointCount(), 0u) << c.index;
            EXPECT_EQ(series.gap, c.gap) << c.index;
            EXPECT_NE(series.emptyReason.find(c.reason), std::string::npos) << series.emptyReason;
        }
    }
    EXPECT_THROW(BuildProfileSeries(archive, 5, ExportFormat::Calibrated), std::out_of_range);
}

TEST(ProfileSeries, NearestReadingIsMeasuredInTheChartsUnits) {
    TestProfile profile;
    profile.readings = HourlyReadings(0, 3, 2);  // values 10, 11, 12 and 10.5, 11.5, 12.5
    const CVantrelArchive archive = MakeArchive({profile});
    const ProfileSeries series = BuildProfileSeries(archive, 0, ExportFormat::Calibrated);
    const double hour = 1.0 / 24.0;
    const double t1 = series.firstDay + hour;

    // At the second reading's time, just above 11: the first depth's 11.
    auto nearest = FindNearestReading(series, t1, 11.1, hour / 100.0, 0.01);
    ASSERT_TRUE(nearest);
    EXPECT_EQ(nearest->depth, 0u);
    EXPECT_EQ(nearest->point.reading, 1);
    // Closer to 11.5: the second depth.
    nearest = FindNearestReading(series, t1, 11.4, hour / 100.0, 0.01);
    ASSERT_TRUE(nearest);
    EXPECT_EQ(nearest->depth, 1u);
    // Where a value unit is worth far more than an hour, time decides: near the third
    // reading's time the third reading wins although its value is further.
    nearest = FindNearestReading(series, t1 + 0.9 * hour, 11.0, hour / 100.0, 100.0);
    ASSERT_TRUE(nearest);
    EXPECT_EQ(nearest->point.reading, 2);

    EXPECT_FALSE(FindNearestReading(series, t1, 11.0, 0.0, 1.0));
    TestProfile empty;
    EXPECT_FALSE(FindNearestReading(
        BuildProfileSeries(MakeArchive({empty}), 0, ExportFormat::Calibrated), t1, 11.0, 1.0, 1.0));
}

}  // namespace
}  // namespace vantrel
