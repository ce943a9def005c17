// SPDX-License-Identifier: GPL-3.0-or-later
// Date-time values: calendar fields, the export's stamps, elapsed times.

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "data/DateTime.h"

namespace vantrel {
namespace {

DateTimeValue Days(double days) {
    return DateTimeValue{days, DateTimeValue::kValid};
}

std::string Iso(double days) {
    return FormatIsoLocal(Days(days));
}

TEST(DateTime, CalendarOfTheDayCount) {
    const std::pair<double, const char*> cases[] = {
        {0.0, "1899-12-30T00:00:00"},
        {2.25, "1900-01-01T06:00:00"},
        {32874.0, "1990-01-01T00:00:00"},
        {39877.6041666667, "2009-03-05T14:30:00"},
        // Before day 0 the whole part counts days back and the fraction is the time of
        // that day: -1.25 is 6 a.m. on 29 December 1899.
        {-0.25, "1899-12-30T06:00:00"},
        {-1.0, "1899-12-29T00:00:00"},
        {-1.25, "1899-12-29T06:00:00"},
        {-2.5, "1899-12-28T12:00:00"},
        {-12.75, "1899-12-18T18:00:00"},
        {-657434.0, "0100-01-01T00:00:00"},
        {2958465.99998843, "9999-12-31T23:59:59"},
    };
    for (const auto& [days, text] : cases) EXPECT_EQ(Iso(days), text) << days;
}

TEST(DateTime, RoundsToTheNearestSecond) {
    const double second = 1.0 / 86400;
    EXPECT_EQ(Iso(32874.0 + 0.49 * second), "1990-01-01T00:00:00");
    EXPECT_EQ(Iso(32874.0 + 0.51 * second), "1990-01-01T00:00:01");
    EXPECT_EQ(Iso(32874.0 - 0.4 * second), "1990-01-01T00:00:00");
    EXPECT_EQ(Iso(32874.0 - 0.6 * second), "1989-12-31T23:59:59");
    // Before day 0 the carry goes to the next calendar day too.
    EXPECT_EQ(Iso(-1.0 - (1.0 - 0.2 * second)), "1899-12-30T00:00:00");
    EXPECT_EQ(Iso(-2.0 - 0.2 * second), "1899-12-28T00:00:00");
}

TEST(DateTime, OutOfRangeOrNotValidHasNoText) {
    for (double days : {-657435.0, 2958466.0, 1e300, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_FALSE(ToCivil(Days(days)).has_value()) << days;
        EXPECT_EQ(FormatReadingStamp(Days(days)), "");
    }
    EXPECT_FALSE(ToCivil(DateTimeValue{1.0, DateTimeValue::kNull}).has_value());
    EXPECT_EQ(FormatIsoLocal(DateTimeValue{1.0, DateTimeValue::kInvalid}), "");
}

TEST(DateTime, FromCivilChecksEveryField) {
    EXPECT_EQ(FromCivil({1990, 1, 1, 0, 0, 0}).days, 32874.0);
    EXPECT_EQ(FromCivil({1899, 12, 29, 6, 0, 0}).days, -1.25);
    EXPECT_TRUE(FromCivil({2000, 2, 29, 23, 59, 59}).IsValid());
    const CivilTime bad[] = {
        {1900, 2, 29, 0, 0, 0}, {2009, 4, 31, 0, 0, 0}, {99, 12, 31, 0, 0, 0},
        {10000, 1, 1, 0, 0, 0}, {2009, 13, 1, 0, 0, 0}, {2009, 1, 0, 0, 0, 0},
        {2009, 1, 1, 24, 0, 0}, {2009, 1, 1, 0, 60, 0}, {2009, 1, 1, 0, 0, 60}};
    for (const CivilTime& c : bad) EXPECT_FALSE(FromCivil(c).IsValid()) << c.year << "-" << c.month;
}

TEST(DateTime, StampsOfTheExport) {
    EXPECT_EQ(FormatReadingStamp(FromCivil({2009, 3, 5, 14, 30, 0})), "05 Mar 2009 14:30:00");
    EXPECT_EQ(FormatReadingStamp(FromCivil({1989, 12, 31, 23, 59, 59})), "31 Dec 1989 23:59:59");
    EXPECT_EQ(FormatReadingStamp(FromCivil({100, 1, 1, 0, 0, 0})), "01 Jan 0100 00:00:00");
    EXPECT_EQ(FormatDayMonthYear(FromCivil({2026, 12, 6, 10, 0, 0})), "06 Dec 2026");
    EXPECT_EQ(FormatIsoLocal(FromCivil({2009, 3, 5, 14, 30, 0})), "2009-03-05T14:30:00");
}

TEST(DateTime, EveryStampReadsBack) {
    // Seconds spread over the years 100 to 9999, plus the ends of the range.
    const std::int64_t first = -657434LL * 86400;
    const std::int64_t last = 2958465LL * 86400 + 86399;
    std::mt19937_64 random(1);
    std::uniform_int_distribution<std::int64_t> pick(first, last);
    for (int k = 0; k < 200000; ++k) {
        const std::int64_t s = k == 0 ? first : k == 1 ? last : pick(random);
        const std::int64_t day = s >= 0 ? s / 86400 : -((-s + 86399) / 86400);
        const double time = static_cast<double>(s - day * 86400);
        const double whole = static_cast<double>(day);
        const DateTimeValue value =
            Days(day >= 0 ? whole + time / 86400.0 : whole - time / 86400.0);
        const std::string stamp = FormatReadingStamp(value);
        const DateTimeValue back = ParseReadingStamp(stamp);
        ASSERT_TRUE(back.IsValid()) << stamp;
        ASSERT_EQ(FormatReadingStamp(back), stamp);
        ASSERT_NEAR(back.days, value.days, 1e-6) << stamp;
    }
}

TEST(DateTime, StampVariantsAreAccepted) {
    const DateTimeValue expected = FromCivil({2009, 3, 5, 14, 30, 0});
    for (const char* text :
         {"05 Mar 2009 14:30:00", "5 Mar 2009 14:30:00", "05 MAR 2009 14:30:00",
          "05 mar 2009 14:30", "05 March 2009 14:30:00", "  05 Mar 2009 14:30:00\t",
          "2009-03-05 14:30:00", "2009-03-05T14:30:00", "2009-03-05 14:30",
          "05  Mar  2009  14:30:00"}) {
        EXPECT_EQ(ParseReadingStamp(text), expected) << text;
    }
}

TEST(DateTime, OtherTextsAreNoDate) {
    for (const char* text :
         {"", "Time", "05 Mar 2009", "05 Mrz 2009 14:30:00", "31 Feb 2009 10:00:00",
          "05 Mar 2009 24:00:00", "05 Mar 2009 14:30:00x", "05 Mar 09 14:30:00",
          "005 Mar 2009 14:30:00", "05 Mar 2009 14:3:00", "2009/03/05 14:30:00",
          "05 Mar 2009, 14:30:00", "05 Ma 2009 14:30:00", "Site#:"}) {
        EXPECT_FALSE(ParseReadingStamp(text).IsValid()) << text;
    }
}

TEST(DateTime, ElapsedTimeRoundsHalfSecondsUp) {
    const double second = 1.0 / 86400;
    EXPECT_EQ(FormatElapsed(0.0), "00:00:00");
    EXPECT_EQ(FormatElapsed(0.49 * second), "00:00:00");
    EXPECT_EQ(FormatElapsed(0.5 * second), "00:00:01");
    EXPECT_EQ(FormatElapsed(3723.6 * second), "01:02:04");
    EXPECT_EQ(FormatElapsed(1.0 + 90 * second), "00:01:30");  // whole days not shown
    EXPECT_EQ(FormatElapsed(-61.0 * second), "00:01:01");
    EXPECT_EQ(FormatElapsed(86399.7 * second), "00:00:00");
}

TEST(DateTime, ComparisonsNeedValidValues) {
    EXPECT_TRUE(IsEarlier(Days(1.0), Days(2.0)));
    EXPECT_TRUE(IsLater(Days(2.0), Days(1.0)));
    EXPECT_FALSE(IsEarlier(Days(1.0), Days(1.0)));
    EXPECT_FALSE(IsEarlier(DateTimeValue{1.0, DateTimeValue::kInvalid}, Days(2.0)));
    EXPECT_FALSE(IsLater(Days(2.0), DateTimeValue{1.0, DateTimeValue::kNull}));
}

TEST(DateTime, CurrentLocalTimeIsARecentValidValue) {
    const DateTimeValue now = CurrentLocalTime();
    ASSERT_TRUE(now.IsValid());
    EXPECT_GT(now.days, FromCivil({2024, 1, 1, 0, 0, 0}).days);
    EXPECT_LT(now.days, FromCivil({2100, 1, 1, 0, 0, 0}).days);
}

}  // namespace
}  // namespace vantrel
