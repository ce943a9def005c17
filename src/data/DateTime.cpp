// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/DateTime.h"

#include "base/AsciiText.h"
#include "base/LocalTime.h"
#include "base/StringPrintf.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string_view>

namespace vantrel {
namespace {

constexpr int kSecondsPerDay = 86400;
// Day 0 of the day count (30 Dec 1899) is day -25569 of the Unix day count.
constexpr std::int64_t kUnixEpochDay = 25569;
constexpr double kHalfSecondDays = 1.0 / 172800.0;

constexpr const char* kMonthAbbrev[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kMonthNames[12] = {"january",   "february", "march",    "april",
                                         "may",       "june",     "july",     "august",
                                         "september", "october",  "november", "december"};

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// The year range the date type accepts; keeps the day arithmetic far from overflow.
constexpr double kMinDays = -657435.0;  // 31 Dec 99: one day of margin for the rounding
constexpr double kMaxDays = 2958466.0;  // 1 Jan 10000

// ---- parsing helpers -------------------------------------------------------------

class StampScanner {
public:
    explicit StampScanner(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ == text_.size(); }
    bool SkipBlanks() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
        return pos_ > start;
    }
    bool Accept(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    // An unsigned number of minDigits to maxDigits digits.
    bool Number(int minDigits, int maxDigits, int& value) {
        int digits = 0;
        value = 0;
        while (pos_ < text_.size() && digits < maxDigits &&
               std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            value = value * 10 + (text_[pos_++] - '0');
            ++digits;
        }
        return digits >= minDigits &&
               !(pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])));
    }
    // An English month name, abbreviated or in full, in any letter case.
    bool Month(int& month) {
        std::size_t end = pos_;
        while (end < text_.size() && std::isalpha(static_cast<unsigned char>(text_[end]))) ++end;
        const std::string_view word = text_.substr(pos_, end - pos_);
        for (int m = 0; m < 12; ++m) {
            const std::string_view full = kMonthNames[m];
            if (EqualsIgnoringCase(word, full) || EqualsIgnoringCase(word, full.substr(0, 3))) {
                month = m + 1;
                pos_ = end;
                return true;
            }
        }
        return false;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// "H:MM" or "H:MM:SS", hours in one or two digits.
bool ScanTime(StampScanner& scan, CivilTime& civil) {
    if (!scan.Number(1, 2, civil.hour) || !scan.Accept(':') || !scan.Number(2, 2, civil.minute))
        return false;
    civil.second = 0;
    if (scan.Accept(':') && !scan.Number(2, 2, civil.second)) return false;
    return true;
}

// "5 Mar 2009 14:30:00", "05 march 2009 14:30".
bool ScanDayMonthYear(std::string_view text, CivilTime& civil) {
    StampScanner scan(text);
    return scan.Number(1, 2, civil.day) && scan.SkipBlanks() && scan.Month(civil.month) &&
           scan.SkipBlanks() && scan.Number(4, 4, civil.year) && scan.SkipBlanks() &&
           ScanTime(scan, civil) && scan.AtEnd();
}

// "2009-03-05 14:30:00", "2009-03-05T14:30:00".
bool ScanIso(std::string_view text, CivilTime& civil) {
    StampScanner scan(text);
    if (!scan.Number(4, 4, civil.year) || !scan.Accept('-') || !scan.Number(1, 2, civil.month) ||
        !scan.Accept('-') || !scan.Number(1, 2, civil.day))
        return false;
    if (!scan.Accept('T') && !scan.SkipBlanks()) return false;
    return ScanTime(scan, civil) && scan.AtEnd();
}

std::string_view TrimBlanks(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

bool IsEarlier(const DateTimeValue& a, const DateTimeValue& b) {
    return a.IsValid() && b.IsValid() && a.days < b.days;
}

bool IsLater(const DateTimeValue& a, const DateTimeValue& b) {
    return a.IsValid() && b.IsValid() && a.days > b.days;
}

DateTimeValue FromLoggerSeconds(std::int32_t seconds) {
    // Split with truncating division, as the logger's time is a signed count.
    const std::int32_t s = seconds;
    const std::int32_t d = s / 86400;
    const std::int32_t h = s / 3600 - 24 * d;
    const std::int32_t m = s / 60 - 60 * (s / 3600);
    const std::int32_t sec = s - 60 * (s / 60);
    const double span = static_cast<double>(d) + h / 24.0 + m / 1440.0 + sec / 86400.0;
    return DateTimeValue{kLoggerEpochDays + span, DateTimeValue::kValid};
}

// The whole part of the day count names the day (counted from 30 Dec 1899, negative
// before it); the fraction, taken without its sign, is the time of that day. So -1.25 is
// 29 Dec 1899 06:00, as with the date type the backups come from. The time is rounded to
// the nearest second, carrying into the next calendar day where it reaches midnight.
std::optional<CivilTime> ToCivil(const DateTimeValue& value) {
    if (!value.IsValid() || !std::isfinite(value.days) || value.days <= kMinDays ||
        value.days >= kMaxDays)
        return std::nullopt;
    const double whole = std::trunc(value.days);
    std::int64_t day = static_cast<std::int64_t>(whole);
    const double fraction = std::fabs(value.days - whole);
    std::int64_t seconds = static_cast<std::int64_t>(std::floor(fraction * kSecondsPerDay + 0.5));
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        ++day;
    }
    CivilTime civil;
    CivilFromDays(day - kUnixEpochDay, civil.year, civil.month, civil.day);
    if (civil.year < 100 || civil.year > 9999) return std::nullopt;
    civil.hour = static_cast<int>(seconds / 3600);
    civil.minute = static_cast<int>(seconds / 60 % 60);
    civil.second = static_cast<int>(seconds % 60);
    return civil;
}

DateTimeValue FromCivil(const CivilTime& c) {
    const bool valid = c.year >= 100 && c.year <= 9999 && c.month >= 1 && c.month <= 12 &&
                       c.day >= 1 && c.day <= DaysInMonth(c.year, c.month) && c.hour >= 0 &&
                       c.hour <= 23 && c.minute >= 0 && c.minute <= 59 && c.second >= 0 &&
                       c.second <= 59;
    if (!valid) return DateTimeValue{0.0, DateTimeValue::kInvalid};
    const std::int64_t day = DaysFromCivil(c.year, c.month, c.day) + kUnixEpochDay;
    const double fraction = (c.hour * 3600 + c.minute * 60 + c.second) / 86400.0;
    const double whole = static_cast<double>(day);
    return DateTimeValue{day >= 0 ? whole + fraction : whole - fraction, DateTimeValue::kValid};
}

void AppendReadingStamp(std::string& out, const DateTimeValue& value) {
    const auto civil = ToCivil(value);
    if (!civil) return;
    // "DD Mon YYYY HH:MM:SS", written digit by digit: a reading block has one per line.
    char text[20];
    const auto two = [&text](int at, int v) {
        text[at] = static_cast<char>('0' + v / 10);
        text[at + 1] = static_cast<char>('0' + v % 10);
    };
    two(0, civil->day);
    text[2] = ' ';
    const char* month = kMonthAbbrev[civil->month - 1];
    text[3] = month[0];
    text[4] = month[1];
    text[5] = month[2];
    text[6] = ' ';
    two(7, civil->year / 100);
    two(9, civil->year % 100);
    text[11] = ' ';
    two(12, civil->hour);
    text[14] = ':';
    two(15, civil->minute);
    text[17] = ':';
    two(18, civil->second);
    out.append(text, sizeof text);
}

std::string FormatReadingStamp(const DateTimeValue& value) {
    std::string text;
    AppendReadingStamp(text, value);
    return text;
}

DateTimeValue ParseReadingStamp(std::string_view text) {
    const std::string_view trimmed = TrimBlanks(text);
    CivilTime civil;
    if (!ScanDayMonthYear(trimmed, civil) && !ScanIso(trimmed, civil)) {
        return DateTimeValue{0.0, DateTimeValue::kInvalid};
    }
    return FromCivil(civil);
}

// Hours of the day, minutes and seconds of the span's size, after adding half a second
// away from zero; a negative span shows its size.
std::string FormatElapsed(double spanDays) {
    if (!std::isfinite(spanDays)) return {};
    const double rounded = std::fabs(spanDays) + kHalfSecondDays;
    const double fraction = rounded - std::floor(rounded);
    int seconds = static_cast<int>(fraction * kSecondsPerDay);
    if (seconds >= kSecondsPerDay) seconds = kSecondsPerDay - 1;
    return StringPrintf("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

std::string FormatIsoLocal(const DateTimeValue& value) {
    const auto civil = ToCivil(value);
    if (!civil) return {};
    return StringPrintf("%04d-%02d-%02dT%02d:%02d:%02d", civil->year, civil->month, civil->day,
                        civil->hour, civil->minute, civil->second);
}

std::string FormatDayMonthYear(const DateTimeValue& value) {
    const auto civil = ToCivil(value);
    if (!civil) return {};
    return StringPrintf("%02d %s %04d", civil->day, kMonthAbbrev[civil->month - 1], civil->year);
}

DateTimeValue CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!LocalTimeOf(now, local)) return DateTimeValue{0.0, DateTimeValue::kInvalid};
    CivilTime civil;
    civil.year = local.tm_year + 1900;
    civil.month = local.tm_mon + 1;
    civil.day = local.tm_mday;
    civil.hour = local.tm_hour;
    civil.minute = local.tm_min;
    civil.second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second
    return FromCivil(civil);
}

}  // namespace vantrel
