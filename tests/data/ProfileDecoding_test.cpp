// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a profile's data and configuration texts.

#include <gtest/gtest.h>

#include <cmath>

#include "data/ProfileNode.h"
#include "data/TestRecords.h"
#include "data/VantrelArchive.h"

namespace vantrel {
namespace {

using test::DataText;
using test::ReadingRecord;

TEST(ProfileNode, NumberTextReadsLikeAtoi) {
    const std::pair<const char*, std::int32_t> cases[] = {{"07", 7},
                                                          {" \t12x", 12},
                                                          {"-3", -3},
                                                          {"+4", 4},
                                                          {"ab", 0},
                                                          {"", 0},
                                                          {"- 5", 0},
                                                          {"+-5", 0},
                                                          {"99999999999", 2147483647},
                                                          {"-99999999999", -2147483647 - 1}};
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(CProfileNode(text, "", "").m_nProfileNo, number) << text;
    }
}

TEST(ProfileNode, ReadingsAreWholeRecordsOfTheText) {
    for (const auto& [length, readings] :
         {std::pair{0, 0}, {255, 0}, {256, 1}, {511, 1}, {512, 2}, {1000, 3}}) {
        CProfileNode node("1", std::string(static_cast<std::size_t>(length), '0'), "");
        EXPECT_TRUE(node.ScanReadings());
        EXPECT_EQ(node.m_nReadings, readings) << length;
    }
}

TEST(ProfileNode, ReadingTimesFromTheLoggerEpoch) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "01 Jan 1990 00:00:00"},
        {86399, "01 Jan 1990 23:59:59"},
        {-1, "31 Dec 1989 23:59:59"},
        {-86401, "30 Dec 1989 23:59:59"},
        {604'420'200, "25 Feb 2009 14:30:00"},
        {2147483647, "19 Jan 2058 03:14:07"},
        {-2147483647 - 1, "13 Dec 1921 20:45:52"},
    };
    for (const auto& [seconds, stamp] : cases) {
        ReadingRecord record;
        record.seconds = seconds;
        const CProfileNode node("1", DataText({record}), "");
        EXPECT_EQ(FormatReadingStamp(node.GetReadingTime(0)), stamp) << seconds;
    }
    EXPECT_EQ(FromLoggerSeconds(0).days, 32874.0);
    EXPECT_EQ(FromLoggerSeconds(43200).days, 32874.5);
    EXPECT_EQ(FromLoggerSeconds(-43200).days, 32873.5);
}

TEST(ProfileNode, ScanFindsEarliestAndLatestWhateverTheOrder) {
    std::vector<ReadingRecord> records(4);
    const std::int32_t seconds[] = {5000, 100, 90000, 3000};
    for (int k = 0; k < 4; ++k) records[k].seconds = seconds[k];
    CProfileNode node("1", DataText(records), "");
    node.ScanReadings();
    EXPECT_EQ(node.m_dtFirst, FromLoggerSeconds(100));
    EXPECT_EQ(node.m_dtLast, FromLoggerSeconds(90000));
    // The dates are widened, not reset, by a second scan over other data.
    node.m_strData = DataText({records[0]});
    node.ScanReadings();
    EXPECT_EQ(node.m_nReadings, 1);
    EXPECT_EQ(node.m_dtFirst, FromLoggerSeconds(100));
    EXPECT_EQ(node.m_dtLast, FromLoggerSeconds(90000));
}

TEST(ProfileNode, ArchiveScanSkipsProfilesWithoutReadings) {
    ReadingRecord early, late;
    early.seconds = 100;
    late.seconds = 900;
    CVantrelArchive archive;
    archive.AddProfile("1", "", "");
    archive.AddProfile("2", DataText({late}), "");
    archive.AddProfile("3", DataText({early}), "");
    EXPECT_TRUE(archive.ScanProfiles());
    EXPECT_EQ(archive.m_dtFrom, FromLoggerSeconds(100));
    EXPECT_EQ(archive.m_dtTo, FromLoggerSeconds(900));
}

struct DepthCase {
    std::uint8_t units, offset, sensors;
    int step, first, last;
};

TEST(ProfileNode, UnitsDepthsAndSensorCount) {
    const DepthCase cases[] = {
        {0x00, 0, 3, 10, 10, 30},   {0x01, 3, 2, 4, 1, 8},       {0xFF, 0, 1, 4, 4, 4},
        {0x00, 3, 2, 10, 7, 20},    {0x00, 25, 1, 10, -15, 10},  {0x00, 0, 0, 10, 10, 0},
        {0x00, 0, 16, 10, 10, 160}, {0x00, 0, 200, 10, 10, 160},  // limited to 16 sensors
    };
    for (const DepthCase& c : cases) {
        ReadingRecord record;
        record.units = c.units;
        record.depthOffset = c.offset;
        record.sensors = c.sensors;
        const CProfileNode node("1", DataText({record}, false), "");
        EXPECT_EQ(node.GetDepthStep(), c.step);
        EXPECT_EQ(node.GetFirstDepth(), c.first);
        EXPECT_EQ(node.GetLastDepth(), c.last);
        EXPECT_EQ(node.GetSensorCount(), std::min<int>(c.sensors, kMaxSensors));
    }
    const CProfileNode empty("1", "", "");
    EXPECT_EQ(empty.GetSensorCount(), 0);
    EXPECT_EQ(empty.GetFirstDepth(), 0);
    EXPECT_EQ(empty.GetLastDepth(), 0);
}

TEST(ProfileNode, ScaledFrequencyKeepsTheSinglePrecisionSteps) {
    EXPECT_EQ(RawCountRatio(0), static_cast<float>(102000.0 / 171425582.0));
    EXPECT_EQ(RawCountRatio(0xFFFF), static_cast<float>((65535.0 + 102000.0) / 171425582.0));

    ReadingRecord record;
    record.water = 0.0006f;
    record.air = 0.00095f;
    record.raw[0] = 0;
    record.raw[15] = 0xFFFF;
    const CProfileNode node("1", DataText({record}), "");
    for (int sensor : {0, 15}) {
        const float r = RawCountRatio(node.GetRawCount(0, sensor));
        const float expected = static_cast<float>(
            (static_cast<double>(record.air) - static_cast<double>(r)) /
            (static_cast<double>(record.air) - static_cast<double>(record.water)));
        EXPECT_EQ(node.GetScaledFrequency(0, sensor), expected);
    }
    EXPECT_EQ(node.GetRawCount(0, 15), 0xFFFF);
}

TEST(ProfileNode, EqualReferencesGiveInfiniteOrUndefinedScaledFrequency) {
    EXPECT_TRUE(std::isinf(ScaledFrequency(0, 0.5f, 0.5f)));
    EXPECT_TRUE(std::isnan(ScaledFrequency(0, RawCountRatio(0), RawCountRatio(0))));
}

TEST(ProfileNode, CalibratedValuesAreTheStoredBitPatterns) {
    ReadingRecord first, second;
    first.calibrated[0] = 12.5f;
    first.calibrated[15] = -0.25f;
    second.calibrated[3] = 1e-30f;
    const CProfileNode node("1", DataText({first, second}, false), "");
    EXPECT_EQ(node.GetCalibratedValue(0, 0), 12.5f);
    EXPECT_EQ(node.GetCalibratedValue(0, 15), -0.25f);
    EXPECT_EQ(node.GetCalibratedValue(1, 3), 1e-30f);
}

TEST(ProfileNode, FieldsOutsideTheTextOrNotHexReadAsZero) {
    ReadingRecord record;
    record.sensors = 4;
    record.seconds = 86400;
    record.calibrated[1] = 3.0f;
    std::string data = DataText({record});
    data[2 * 64 + 3] = 'g';  // one digit of the first calibrated value
    const CProfileNode node("1", data, "");
    EXPECT_EQ(node.GetCalibratedValue(0, 0), 0.0f);
    EXPECT_EQ(node.GetCalibratedValue(0, 1), 3.0f);
    EXPECT_EQ(node.GetCalibratedValue(1, 1), 0.0f);   // no second record
    EXPECT_EQ(node.GetCalibratedValue(-1, 1), 0.0f);  // no record before the first
    EXPECT_EQ(node.GetCalibratedValue(0, 16), 0.0f);  // no 17th sensor
    EXPECT_EQ(node.GetRawCount(0, -1), 0);
    EXPECT_EQ(node.GetReadingTime(5), FromLoggerSeconds(0));
    // A data text cut inside the first record still gives its leading fields.
    const CProfileNode cut("1", data.substr(0, 9), "");
    EXPECT_EQ(cut.GetSensorCount(), 4);
    EXPECT_EQ(cut.GetRecordCount(), 0);
    EXPECT_EQ(cut.GetReadingTime(0), FromLoggerSeconds(0));
}

struct SoilCase {
    std::uint8_t code;
    SoilCoefficients::Status status;
    float a;  // A of the record the code selects
};

TEST(SoilCoefficients, CodesSelectTableAndRecord) {
    // User record k has A = k, Ortvel record k has A = -k; all in use.
    std::vector<test::SoilRecord> user, ortvel;
    for (int k = 1; k <= 99; ++k) {
        user.push_back({static_cast<float>(k), 1.0f, 0.0f, 0x80});
        ortvel.push_back({static_cast<float>(-k), 1.0f, 0.0f, 0xFF});
    }
    const std::string userTable = test::SoilTable(user);
    const std::string ortvelTable = test::SoilTable(ortvel);
    using S = SoilCoefficients::Status;
    const SoilCase cases[] = {{0x01, S::InUse, 1.0f},   {0x63, S::InUse, 99.0f},
                              {0x64, S::Error, 0.0f},   {0x9C, S::Error, 0.0f},
                              {0x9D, S::InUse, -99.0f}, {0xFF, S::InUse, -1.0f},
                              {0x00, S::Error, 0.0f},   {0x80, S::Error, 0.0f}};
    for (const SoilCase& c : cases) {
        const SoilCoefficients soil = GetSoilCoefficients(c.code, userTable, ortvelTable);
        EXPECT_EQ(soil.status, c.status) << int{c.code};
        EXPECT_EQ(soil.a, c.a) << int{c.code};
    }
}

TEST(SoilCoefficients, FlagsAndReciprocal) {
    using S = SoilCoefficients::Status;
    const std::string table = test::SoilTable({{1.0f, 0.5f, 0.0f, 0x80},
                                               {1.0f, 0.5f, 0.0f, 0x7F},
                                               {2.0f, 0.0f, 3.0f, 0x81},
                                               {0.1f, 3.0f, -0.25f, 0x80}});
    const SoilCoefficients inUse = GetSoilCoefficients(1, table, "");
    EXPECT_EQ(inUse.status, S::InUse);
    EXPECT_EQ(inUse.a, 1.0f);
    EXPECT_EQ(inUse.b, 2.0f);
    EXPECT_EQ(inUse.c, 0.0f);
    EXPECT_EQ(GetSoilCoefficients(2, table, "").status, S::Unused);
    EXPECT_TRUE(std::isinf(GetSoilCoefficients(3, table, "").b));
    EXPECT_EQ(GetSoilCoefficients(4, table, "").b, static_cast<float>(1.0 / 3.0));
    // Records past the end of a table, and a table in lower case.
    EXPECT_EQ(GetSoilCoefficients(5, table, "").status, S::Unused);
    EXPECT_EQ(GetSoilCoefficients(0xFF, table, "").status, S::Unused);
    std::string lower = table;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(ch));
    EXPECT_EQ(GetSoilCoefficients(4, lower, "").c, -0.25f);
}

TEST(ProfileNode, SoilCodesComeFromTheConfiguration) {
    const CProfileNode node("1", "", test::ConfigText({0x05, 0xFE}));
    EXPECT_EQ(node.GetSoilCode(0), 0x05);
    EXPECT_EQ(node.GetSoilCode(1), 0xFE);
    EXPECT_EQ(node.GetSoilCode(2), 0x00);  // configuration too short
    // A configuration with more codes than sensors: the 17th is never read.
    const CProfileNode longer("1", "", test::ConfigText(std::vector<std::uint8_t>(17, 0x07)));
    EXPECT_EQ(longer.GetSoilCode(15), 0x07);
    EXPECT_EQ(longer.GetSoilCode(16), 0x00);
}

}  // namespace
}  // namespace vantrel
