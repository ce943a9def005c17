// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The backup list as text: a table in the user's short-date format, or JSON.

#include <string>
#include <vector>

#include "ops/BackupFolder.h"

namespace vantrel::cli {

// The date part of `value` in the locale's short date format; empty when not valid or
// never set (a backup without readings).
std::string ShortDate(const DateTimeValue& value);

// Columns "File Name", "Date From", "Date  To", "No. Profiles", "Backup Date", aligned; the
// titles as ShownTitle shows them.
std::string BackupTable(const std::vector<BackupRow>& rows);

// A JSON array of objects with the keys title, file, dateFrom, dateTo, profiles and
// backupDate (ISO local date-times, null when not valid or never set).
std::string BackupListJson(const std::vector<BackupRow>& rows);

}  // namespace vantrel::cli
