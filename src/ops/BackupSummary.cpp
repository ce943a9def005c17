// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/BackupSummary.h"

#include <algorithm>

#include "data/VantrelArchive.h"
#include "ops/ExportFiles.h"

namespace vantrel {

BackupSummary SummariseBackup(const CVantrelArchive& archive) {
    BackupSummary summary;
    summary.backupDate = archive.m_dtBackup;
    summary.dateFrom = archive.m_dtFrom;
    summary.dateTo = archive.m_dtTo;
    for (int i : ProfileIndexesInRowOrder(archive)) {
        ProfileSummary profile;
        profile.number = archive.GetProfileNo(i);
        profile.firstReading = archive.GetFirstDate(i);
        profile.lastReading = archive.GetLastDate(i);
        profile.readings = archive.GetReadingCount(i);
        profile.sensors = archive.GetSensorCount(i);
        profile.firstDepth = archive.GetFirstDepth(i);
        profile.lastDepth = archive.GetLastDepth(i);
        if (archive.HasData(i)) profile.units = archive.GetUnitsText(i);
        summary.profiles.push_back(std::move(profile));
    }
    const size_t others =
        std::min(archive.m_astrOtherNames.size(), archive.m_astrOtherFiles.size());
    for (size_t j = 0; j < others; ++j) {
        summary.otherFiles.push_back(
            {archive.m_astrOtherNames[j], archive.m_astrOtherFiles[j].size() / 2});
    }
    summary.hasUserSoil = !archive.m_strUserSoil.empty();
    summary.hasOrtvelSoil = !archive.m_strOrtvelSoil.empty();
    summary.hasDeviceConfig = !archive.m_strDeviceConfig.empty();
    return summary;
}

}  // namespace vantrel
