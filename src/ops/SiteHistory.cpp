// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/SiteHistory.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace vantrel {
namespace {

constexpr double kSecondsPerDay = 86400.0;

// Same time, same reading: both lines of the export agree.
bool SameReading(const CVantrelArchive& a, int ia, int ra, const CVantrelArchive& b, int ib,
                 int rb) {
    return a.FormatReading(ia, ra, false) == b.FormatReading(ib, rb, false) &&
           a.FormatReading(ia, ra, true) == b.FormatReading(ib, rb, true);
}

std::vector<HistoryBackup> InBackupOrder(std::vector<HistoryBackup> backups) {
    std::stable_sort(backups.begin(), backups.end(),
                     [](const HistoryBackup& a, const HistoryBackup& b) {
                         return a.archive.m_dtBackup.days < b.archive.m_dtBackup.days;
                     });
    return backups;
}

std::int64_t SecondsBetween(double fromDays, double toDays) {
    return std::llround((toDays - fromDays) * kSecondsPerDay);
}

void FindGaps(HistorySeries& series) {
    const std::vector<HistoryReading>& readings = series.readings;
    if (readings.size() < 2) return;
    std::vector<std::int64_t> intervals;
    intervals.reserve(readings.size() - 1);
    for (std::size_t k = 1; k < readings.size(); ++k) {
        intervals.push_back(SecondsBetween(readings[k - 1].days, readings[k].days));
    }
    std::vector<std::int64_t> sorted = intervals;
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>((sorted.size() - 1) / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    series.usualIntervalSeconds = *middle;
    for (std::size_t k = 0; k < intervals.size(); ++k) {
        if (intervals[k] > 2 * series.usualIntervalSeconds) {
            series.gaps.push_back({readings[k].days, readings[k + 1].days, intervals[k]});
        }
    }
}

}  // namespace

SiteHistory::SiteHistory(std::vector<HistoryBackup> backups)
    : backups_(InBackupOrder(std::move(backups))) {
    // Group: each profile with data joins the first series of equal identity.
    std::vector<SeriesIdentity> identities;
    for (int b = 0; b < static_cast<int>(backups_.size()); ++b) {
        const CVantrelArchive& archive = backups_[static_cast<std::size_t>(b)].archive;
        for (int i = 0; i < archive.GetProfileCount(); ++i) {
            if (!archive.HasData(i)) {
                incomplete_.push_back({b, i});
                continue;
            }
            SeriesIdentity identity = IdentityOf(archive, i);
            const auto found = std::find(identities.begin(), identities.end(), identity);
            if (found != identities.end()) {
                series_[static_cast<std::size_t>(found - identities.begin())].members.push_back(
                    {b, i});
                continue;
            }
            HistorySeries series;
            series.identity = identity;
            series.members.push_back({b, i});
            series_.push_back(std::move(series));
            identities.push_back(std::move(identity));
        }
    }
    // By site number, then by appearance.
    std::stable_sort(series_.begin(), series_.end(),
                     [](const HistorySeries& a, const HistorySeries& b) {
                         return a.ProfileNo() < b.ProfileNo();
                     });
    std::map<std::int32_t, int> perProfile;
    for (const HistorySeries& series : series_) ++perProfile[series.ProfileNo()];
    std::map<std::int32_t, int> seen;
    for (HistorySeries& series : series_) {
        series.ofProfile = perProfile[series.ProfileNo()];
        series.ordinal = ++seen[series.ProfileNo()];
        if (series.ordinal == 1) continue;
        const HistorySeries& first = *(&series - (series.ordinal - 1));
        const HistoryProfile& a = first.members.front();
        const HistoryProfile& b = series.members.front();
        series.difference =
            DescribeDifference(ArchiveOf(a), a.profileIndex, ArchiveOf(b), b.profileIndex);
    }

    for (HistorySeries& series : series_) {
        // Every reading of every member, in time order; equal times in member order, then
        // record order, so that the last of equal times is the one to keep.
        std::vector<HistoryReading> all;
        for (int m = 0; m < static_cast<int>(series.members.size()); ++m) {
            const HistoryProfile& member = series.members[static_cast<std::size_t>(m)];
            const CVantrelArchive& archive = ArchiveOf(member);
            const CProfileNode& node = archive.GetProfile(member.profileIndex);
            const int count = archive.GetExportedReadingCount(member.profileIndex);
            for (int r = 0; r < count; ++r) all.push_back({node.GetReadingTime(r).days, m, r});
        }
        for (const HistoryReading& reading : all) {
            const int backup = BackupOf(series, reading);
            if (series.stretches.empty() || series.stretches.back().backup != backup) {
                series.stretches.push_back({backup, reading.days, reading.days, 0});
            }
            BackupStretch& stretch = series.stretches.back();
            stretch.firstDays = std::min(stretch.firstDays, reading.days);
            stretch.lastDays = std::max(stretch.lastDays, reading.days);
            ++stretch.readings;
        }
        std::stable_sort(
            all.begin(), all.end(),
            [](const HistoryReading& a, const HistoryReading& b) { return a.days < b.days; });

        series.readings.reserve(all.size());
        for (std::size_t start = 0; start < all.size();) {
            std::size_t end = start + 1;
            while (end < all.size() && all[end].days == all[start].days) ++end;
            const HistoryReading& kept = all[end - 1];
            const HistoryProfile& keptFrom = series.members[static_cast<std::size_t>(kept.member)];
            Disagreement disagreement{kept.days, keptFrom.backup, {}};
            for (std::size_t k = start; k + 1 < end; ++k) {
                const HistoryProfile& from =
                    series.members[static_cast<std::size_t>(all[k].member)];
                if (SameReading(ArchiveOf(from), from.profileIndex, all[k].record,
                                ArchiveOf(keptFrom), keptFrom.profileIndex, kept.record)) {
                    continue;
                }
                std::vector<int>& overruled = disagreement.overruled;
                if (std::find(overruled.begin(), overruled.end(), from.backup) == overruled.end()) {
                    overruled.push_back(from.backup);
                }
            }
            if (!disagreement.overruled.empty()) {
                series.disagreements.push_back(std::move(disagreement));
            }
            series.readings.push_back(kept);
            start = end;
        }
        FindGaps(series);
    }
}

}  // namespace vantrel
