// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What `vantrel info` shows of several backups: a site's history (ops/SiteHistory.h). The
// backups in order of backup time, numbered from 1, then every series with its period, its
// backups, its usual interval, its gaps and its disagreements, then the profiles without a
// data file.

#include <ostream>
#include <string>

#include "ops/SiteHistory.h"

namespace vantrel::cli {

// The text form: every backup and series, at most kListedLines gaps and disagreements of a
// series (the JSON form lists them all).
inline constexpr std::size_t kListedLines = 10;
void PrintHistory(const SiteHistory& history, std::ostream& out);

// One indented JSON object: "backups" (file, title, backupDate, dateFrom, dateTo, profiles),
// "series" (profile, series, seriesOfProfile, differs, sensors, firstDepth, lastDepth,
// units, firstReading, lastReading, readings, usualIntervalSeconds, backups: one entry per
// backup holding readings (backup: its 0-based index in "backups", firstReading,
// lastReading, readings), gaps (from, to, seconds), disagreements (time, kept, overruled:
// backup indexes)), and "incomplete" (backup, profile). Dates are local ISO 8601 times.
std::string HistoryJson(const SiteHistory& history);

// "01:00:00", "1 day 00:00:00", "7 days 01:00:00".
std::string DurationText(std::int64_t seconds);

}  // namespace vantrel::cli
