// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A site's history: the readings of several backups of one logger merged into series, each
// series the readings of one profile over all the backups that hold it. The rules:
//
// - Backup order: ascending backup time (the day count of m_dtBackup); backups of equal time
//   keep the order in which they were given. "Later backup" below means later in this order.
// - Series: a profile with a data file belongs to the series of every other profile whose
//   SeriesIdentity (ops/SeriesIdentity.h) is equal: the same site number, the same export
//   site block (first and last depth, units) and calibration block (depth header, every
//   sensor's A, B and C as printed), and the same soil code per sensor. Profiles that differ
//   in any of these are separate series of that site number. A profile without a data file
//   joins no series: it is listed among the incomplete profiles.
// - Readings: a profile contributes the readings the export writes for it. Readings of one
//   series with the same time (equal day counts, that is the same logger second) are one
//   reading: the later backup's is kept (within one backup, the later profile record, then
//   the later record of its data file). Two readings of one time disagree when the export's
//   line of either format (calibrated moisture, scaled frequency) differs between them; each
//   time with a disagreement counts once.
// - Usual interval: the median of the intervals between consecutive readings of the merged
//   series, in whole seconds (the lower of the two middle ones for an even count). A gap is
//   an interval longer than twice the usual interval; a series with fewer than three
//   readings has no gaps.
//
// Plain data, no locking: build it on one thread, then read it from any.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "data/VantrelArchive.h"
#include "ops/SeriesIdentity.h"

namespace vantrel {

struct HistoryBackup {
    std::string title;  // how the user knows the backup: its file's title
    CVantrelArchive archive;
    std::filesystem::path file;  // where it was read from (empty when it was not)
};

// A profile of one backup: indexes into SiteHistory::Backups() and that archive's profiles.
struct HistoryProfile {
    int backup = 0;
    int profileIndex = 0;
};

// One reading of a merged series: its time and the record it is taken from.
struct HistoryReading {
    double days = 0.0;
    int member = 0;  // index into HistorySeries::members
    int record = 0;  // the reading's index in that profile
};

// Consecutive readings further apart than the gap rule allows.
struct ReadingGap {
    double fromDays = 0.0;  // the reading before the gap
    double toDays = 0.0;    // the reading after it
    std::int64_t seconds = 0;
};

// A time at which backups hold different readings.
struct Disagreement {
    double days = 0.0;
    int kept = 0;                // the backup whose reading is kept
    std::vector<int> overruled;  // the backups whose reading differs from it, in backup order
};

// The readings one backup holds in a series, before merging.
struct BackupStretch {
    int backup = 0;
    double firstDays = 0.0;
    double lastDays = 0.0;
    int readings = 0;
};

struct HistorySeries {
    SeriesIdentity identity;
    int ordinal = 1;    // 1-based among the series of its site number, in order of appearance
    int ofProfile = 1;  // how many series its site number has
    // What sets this series apart from series 1 of its site number (DescribeDifference);
    // empty for series 1.
    std::string difference;
    std::vector<HistoryProfile> members;    // in backup order, then archive order
    std::vector<HistoryReading> readings;   // merged, in time order, one per time
    std::vector<BackupStretch> stretches;   // one per backup holding readings, in backup order
    std::int64_t usualIntervalSeconds = 0;  // 0 with fewer than two readings
    std::vector<ReadingGap> gaps;
    std::vector<Disagreement> disagreements;

    std::int32_t ProfileNo() const { return identity.profileNo; }
};

class SiteHistory {
public:
    // Sorts the backups into backup order and merges their profiles into series, ordered by
    // site number, then by appearance (the backup and archive order of their first profile).
    explicit SiteHistory(std::vector<HistoryBackup> backups);

    const std::vector<HistoryBackup>& Backups() const { return backups_; }
    const std::vector<HistorySeries>& Series() const { return series_; }
    // Profiles without a data file, in backup order.
    const std::vector<HistoryProfile>& Incomplete() const { return incomplete_; }

    // The archive and profile index of a member of a series.
    const CVantrelArchive& ArchiveOf(const HistoryProfile& profile) const {
        return backups_[static_cast<std::size_t>(profile.backup)].archive;
    }
    // The backup a reading of series `series` is taken from.
    int BackupOf(const HistorySeries& series, const HistoryReading& reading) const {
        return series.members[static_cast<std::size_t>(reading.member)].backup;
    }

private:
    std::vector<HistoryBackup> backups_;
    std::vector<HistorySeries> series_;
    std::vector<HistoryProfile> incomplete_;
};

}  // namespace vantrel
