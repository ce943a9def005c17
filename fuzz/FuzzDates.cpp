// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the time stamps the export's append rules read back, and the round trips
// through them. The whole input is read as a stamp text; a stamp that reads as a date is
// written again in the export's form and in ISO form, and both read back as the same day
// count. The first bytes are also taken as a day count (a double) and as a logger time (a
// signed count of seconds): formatted and read back, they give the value rounded to the
// nearest second, and a logger time gives exactly its own seconds.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "data/DateTime.h"

namespace vantrel {
namespace {

constexpr double kSecondsPerDay = 86400.0;

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// Seconds of the calendar moment a day count stands for: the whole part names the day, the
// fraction without its sign the time of that day.
double CalendarSeconds(double days) {
    const double whole = std::trunc(days);
    return whole * kSecondsPerDay + std::fabs(days - whole) * kSecondsPerDay;
}

void CheckStampText(std::string_view text) {
    const DateTimeValue value = ParseReadingStamp(text);
    Require(value.IsValid() || value.status == DateTimeValue::kInvalid);
    if (!value.IsValid()) return;
    const auto civil = ToCivil(value);
    Require(civil.has_value() && FromCivil(*civil) == value);
    const std::string stamp = FormatReadingStamp(value);
    Require(stamp.size() == 20 && ParseReadingStamp(stamp) == value);
    Require(ParseReadingStamp(FormatIsoLocal(value)) == value);
    Require(FormatDayMonthYear(value).size() == 11);
}

void CheckDayCount(double days) {
    const DateTimeValue value{days, DateTimeValue::kValid};
    FormatElapsed(days);
    const auto civil = ToCivil(value);
    if (!civil) {
        Require(FormatReadingStamp(value).empty() && FormatIsoLocal(value).empty());
        return;
    }
    const DateTimeValue rounded = FromCivil(*civil);
    Require(rounded.IsValid());
    Require(std::fabs(CalendarSeconds(rounded.days) - CalendarSeconds(days)) <= 0.5 + 1e-3);
    Require(ParseReadingStamp(FormatReadingStamp(value)) == rounded);
    Require(ParseReadingStamp(FormatIsoLocal(value)) == rounded);
}

void CheckLoggerSeconds(std::int32_t seconds) {
    const DateTimeValue value = FromLoggerSeconds(seconds);
    const DateTimeValue parsed = ParseReadingStamp(FormatReadingStamp(value));
    Require(parsed.IsValid());
    const double back = std::round((parsed.days - kLoggerEpochDays) * kSecondsPerDay);
    Require(back == static_cast<double>(seconds));
}

}  // namespace
}  // namespace vantrel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    CheckStampText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (size >= sizeof(std::int32_t)) {
        std::int32_t seconds = 0;
        std::memcpy(&seconds, data, sizeof seconds);
        CheckLoggerSeconds(seconds);
    }
    if (size >= sizeof(double)) {
        double days = 0.0;
        std::memcpy(&days, data, sizeof days);
        CheckDayCount(days);
    }
    return 0;
}
