#pragma once

#include <string>

#include "BackupSummary.h"

namespace vantrel::cli {

// The summary as one indented JSON object (keys backupDate, dateFrom, dateTo, profiles,
// otherFiles, hasUserSoil, hasOrtvelSoil, hasDeviceConfig); unset dates are null.
std::string BackupSummaryJson(const BackupSummary& summary);

}  // namespace vantrel::cli
