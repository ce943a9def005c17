// SPDX-License-Identifier: GPL-3.0-or-later
// The export's texts of a profile.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <limits>

#include "data/TestRecords.h"
#include "data/VantrelArchive.h"

namespace vantrel {
namespace {

using test::DataText;
using test::ReadingRecord;

// 5 March 2009 14:30:00 in logger seconds.
constexpr std::int32_t kMarch5 = 605'111'400;

CVantrelArchive ThreeSensorArchive(std::uint8_t units) {
    ReadingRecord record;
    record.units = units;
    record.sensors = 3;
    record.seconds = kMarch5;
    record.calibrated = {12.5f, 20.125f, 31.0f};
    record.water = 0.0006f;
    record.air = 0.00095f;
    ReadingRecord next = record;
    next.seconds = kMarch5 + 60;
    next.calibrated = {-0.25f, 0.0f, 1e-7f};
    CVantrelArchive archive;
    archive.AddProfile("3", DataText({record, next}), test::ConfigText({0x01, 0x02, 0x00}));
    archive.m_strUserSoil = test::SoilTable({{0.1f, 0.5f, 0.0f, 0x80}, {1.0f, 0.5f, 0.0f, 0x00}});
    archive.ScanProfiles();
    return archive;
}

TEST(ProfileTexts, UnitsAndDepthHeader) {
    const CVantrelArchive cm = ThreeSensorArchive(0x00);
    EXPECT_EQ(cm.GetUnitsText(0), "cm");
    EXPECT_EQ(cm.GetDepthHeader(0), "10cm, 20cm, 30cm");
    const CVantrelArchive inches = ThreeSensorArchive(0x01);
    EXPECT_EQ(inches.GetUnitsText(0), "inches");
    EXPECT_EQ(inches.GetDepthHeader(0), "4inches, 8inches, 12inches");

    CVantrelArchive incomplete;
    incomplete.AddProfile("4", "", "");
    EXPECT_EQ(incomplete.GetUnitsText(0), " .. Profile is incomplete ..");
    EXPECT_EQ(incomplete.GetDepthHeader(0), "");
}

TEST(ProfileTexts, DepthHeaderIgnoresTheDepthOffset) {
    ReadingRecord record;
    record.sensors = 2;
    record.depthOffset = 3;
    CVantrelArchive archive;
    archive.AddProfile("1", DataText({record}), "");
    EXPECT_EQ(archive.GetFirstDepth(0), 7);
    EXPECT_EQ(archive.GetDepthHeader(0), "10cm, 20cm");
}

TEST(ProfileTexts, CalibrationTexts) {
    const CVantrelArchive archive = ThreeSensorArchive(0);
    std::string a, b, c;
    archive.GetCalibration(0, 0, a, b, c);
    EXPECT_EQ(a + "|" + b + "|" + c, "0.100000|2.000000|0.000000");
    archive.GetCalibration(0, 1, a, b, c);
    EXPECT_EQ(a + "|" + b + "|" + c, "Unused|Unused|Unused");
    archive.GetCalibration(0, 2, a, b, c);
    EXPECT_EQ(a + "|" + b + "|" + c, "Error|Error|Error");
}

TEST(ProfileTexts, ReadingLines) {
    const CVantrelArchive archive = ThreeSensorArchive(0);
    EXPECT_EQ(archive.FormatReading(0, 0, false),
              "05 Mar 2009 14:30:00, 12.500000, 20.125000, 31.000000\n");
    EXPECT_EQ(archive.FormatReading(0, 1, false),
              "05 Mar 2009 14:31:00, -0.250000, 0.000000, 0.000000\n");
    const float sf = ScaledFrequency(0, 0.00095f, 0.0006f);
    char value[64];
    std::snprintf(value, sizeof value, "%f", static_cast<double>(sf));
    const std::string v(value);
    EXPECT_EQ(archive.FormatReading(0, 0, true),
              "05 Mar 2009 14:30:00, " + v + ", " + v + ", " + v + "\n");

    std::string block = "kept";
    archive.AppendReadingLines(0, false, block);
    EXPECT_EQ(block,
              "kept" + archive.FormatReading(0, 0, false) + archive.FormatReading(0, 1, false));
}

TEST(ProfileTexts, LineWithoutSensors) {
    ReadingRecord record;
    record.seconds = -1;
    CVantrelArchive archive;
    archive.AddProfile("1", DataText({record}), "");
    archive.ScanProfiles();
    EXPECT_EQ(archive.FormatReading(0, 0, true), "31 Dec 1989 23:59:59, \n");
}

TEST(ProfileTexts, TextsIgnoreTheLocale) {
    const CVantrelArchive archive = ThreeSensorArchive(0);
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    // A locale with a decimal comma, when the system has one; the texts must not change.
    const bool changed = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr ||
                         std::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr;
    const std::string line = archive.FormatReading(0, 0, false);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(line, "05 Mar 2009 14:30:00, 12.500000, 20.125000, 31.000000\n") << changed;
}

TEST(ProfileTexts, StoredReadingCountBeyondTheTextIsBounded) {
    CVantrelArchive archive = ThreeSensorArchive(0);
    archive.m_profiles[0].m_nReadings = 1000;  // as a hostile file could claim
    std::string block;
    archive.AppendReadingLines(0, false, block);
    EXPECT_EQ(block, archive.FormatReading(0, 0, false) + archive.FormatReading(0, 1, false));
    // Readings the text does not hold read as zero fields.
    EXPECT_EQ(archive.FormatReading(0, 999, false),
              "01 Jan 1990 00:00:00, 0.000000, 0.000000, 0.000000\n");
    archive.m_profiles[0].m_nReadings = -5;
    block.clear();
    archive.AppendReadingLines(0, true, block);
    EXPECT_EQ(block, "");
}

// A damaged backup file can store any reading count, the smallest int included.
TEST(ProfileTexts, SmallestStoredReadingCountRefusesEveryReadingWithItsRange) {
    CVantrelArchive archive = ThreeSensorArchive(0);
    archive.m_profiles[0].m_nReadings = std::numeric_limits<std::int32_t>::min();
    try {
        archive.FormatReading(0, 0, false);
        FAIL() << "reading 0 of a profile with a negative reading count";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "reading 0 outside 0 .. -2147483649");
    }
}

TEST(ProfileTexts, IndicesOutsideTheListAreRefused) {
    const CVantrelArchive archive = ThreeSensorArchive(0);
    std::string a, b, c;
    EXPECT_THROW(archive.GetUnitsText(1), std::out_of_range);
    EXPECT_THROW(archive.GetDepthHeader(-1), std::out_of_range);
    EXPECT_THROW(archive.GetCalibration(1, 0, a, b, c), std::out_of_range);
    EXPECT_THROW(archive.GetProfileNo(1), std::out_of_range);
    EXPECT_THROW(archive.GetProfileFiles(-1, a, b), std::out_of_range);
    EXPECT_THROW(archive.FormatReading(0, 2, false), std::out_of_range);
    EXPECT_THROW(archive.FormatReading(0, -1, false), std::out_of_range);
    EXPECT_THROW(archive.AppendReadingLines(1, false, a), std::out_of_range);
    EXPECT_EQ(archive.GetProfileFiles(0, a, b), 3);
    EXPECT_EQ(a, archive.m_profiles[0].m_strData);
    EXPECT_EQ(b, archive.m_profiles[0].m_strConfig);
}

}  // namespace
}  // namespace vantrel
