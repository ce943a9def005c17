// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a backup holds, as the command-line tool's "info" shows it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/DateTime.h"

namespace vantrel {

class CVantrelArchive;

struct ProfileSummary {
    int number = 0;
    DateTimeValue firstReading;
    DateTimeValue lastReading;
    int readings = 0;
    int sensors = 0;
    int firstDepth = 0;
    int lastDepth = 0;
    std::optional<std::string> units;  // "cm" or "inches"; none for an incomplete profile
};

struct OtherFileSummary {
    std::string name;
    std::uint64_t bytes = 0;  // hex length / 2
};

struct BackupSummary {
    DateTimeValue backupDate;
    DateTimeValue dateFrom;
    DateTimeValue dateTo;
    std::vector<ProfileSummary> profiles;  // ascending profile number
    std::vector<OtherFileSummary> otherFiles;
    bool hasUserSoil = false;
    bool hasOrtvelSoil = false;
    bool hasDeviceConfig = false;
};

BackupSummary SummariseBackup(const CVantrelArchive& archive);

// True for a date that was never set (day count 0.0).
inline bool IsUnsetDate(const DateTimeValue& value) {
    return value.days == 0.0;
}

}  // namespace vantrel
