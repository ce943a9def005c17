// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonValue>
#include <string>

#include "ops/BackupSummary.h"

namespace vantrel::cli {

// The summary as one indented JSON object (keys backupDate, dateFrom, dateTo, profiles,
// otherFiles, hasUserSoil, hasOrtvelSoil, hasDeviceConfig); unset dates are null.
std::string BackupSummaryJson(const BackupSummary& summary);

// A date as an ISO 8601 local time ("2009-03-05T14:30:00"), or null when never set.
QJsonValue DateJson(const DateTimeValue& value);
// A date as text ("2009-03-05 14:30:00"), or "-" when never set.
std::string DateText(const DateTimeValue& value);

}  // namespace vantrel::cli
