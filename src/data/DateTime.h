// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Date-time values as the backup file and the lists hold them: a count of days since
// 30 December 1899 00:00 (the fraction is the time of day) with a status.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

struct DateTimeValue {
    enum Status : std::int32_t { kValid = 0, kInvalid = 1, kNull = 2 };
    double days = 0.0;
    std::int32_t status = kValid;

    bool IsValid() const { return status == kValid; }
    friend bool operator==(const DateTimeValue&, const DateTimeValue&) = default;
};

// 1 January 1990 00:00:00, the logger's epoch.
inline constexpr double kLoggerEpochDays = 32874.0;

// Earlier / later compare day counts; a value that is not valid is neither.
bool IsEarlier(const DateTimeValue& a, const DateTimeValue& b);
bool IsLater(const DateTimeValue& a, const DateTimeValue& b);

// A reading time stored by the logger: signed seconds since its epoch.
DateTimeValue FromLoggerSeconds(std::int32_t seconds);

struct CivilTime {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

// Calendar fields of a value, rounded to the nearest second; nullopt when the value is
// not valid or lies outside the years 100 to 9999.
std::optional<CivilTime> ToCivil(const DateTimeValue& value);
// The value of calendar fields; not valid when a field is out of range.
DateTimeValue FromCivil(const CivilTime& civil);

// "05 Mar 2009 14:30:00": the export's fixed English time stamp, whatever the locale.
std::string FormatReadingStamp(const DateTimeValue& value);
// The same text appended to `out` (nothing when the value is not valid).
void AppendReadingStamp(std::string& out, const DateTimeValue& value);
// Reads a time stamp back (the form above and the usual variants of it); a value that
// is not valid when the text is no date.
DateTimeValue ParseReadingStamp(std::string_view text);

// "%H:%M:%S" of a span of days, rounded to the nearest second (whole days not shown).
std::string FormatElapsed(double spanDays);
// "2009-03-05T14:30:00" (ISO 8601 local time, no zone); empty when not valid.
std::string FormatIsoLocal(const DateTimeValue& value);
// "%d %b %Y" in English: "06 Dec 2026".
std::string FormatDayMonthYear(const DateTimeValue& value);

// The current local date and time.
DateTimeValue CurrentLocalTime();

}  // namespace vantrel
