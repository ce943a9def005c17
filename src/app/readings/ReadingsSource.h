// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the readings window shows: the profiles of one backup, or the series of a site's
// history over several backups. The window lists the source's entries in its profile picker,
// draws the series of the chosen one and asks the source for the texts that differ between
// the two. GUI thread only.

#include <QString>
#include <memory>
#include <vector>

#include "chart/ReadingsChart.h"
#include "data/VantrelArchive.h"
#include "ops/ProfileSeries.h"
#include "ops/SiteHistory.h"

namespace vantrel::app {

class ReadingsSource {
public:
    virtual ~ReadingsSource() = default;

    // The backup's title, or the titles of the first and last backup ("Visit 01 to Visit 09").
    virtual QString Title() const = 0;
    // The entries of the profile picker: the profiles (by archive index) or the series.
    virtual int Count() const = 0;
    virtual QString EntryText(int entry) const = 0;
    // What the window shows when there are no entries.
    virtual QString NoEntriesText() const = 0;

    virtual ProfileSeries Build(int entry, ExportFormat format) const = 0;
    virtual QString ChartTitle(const ProfileSeries& series) const = 0;
    // The moments to mark on the chart of an entry (where each backup's readings begin).
    virtual std::vector<chart::ReadingsChart::Mark> Marks(int /*entry*/) const { return {}; }
    // More for the summary under the chart (backups, gaps, disagreements); empty for none.
    virtual QString SummaryNote(int /*entry*/) const { return {}; }
    // A last line for the tooltip of a reading (the backup it is taken from); empty for none.
    virtual QString ReadingNote(const ProfileSeries& /*series*/,
                                const ReadingPoint& /*point*/) const {
        return {};
    }
};

// The profiles of one backup, as the window has always shown them.
std::unique_ptr<ReadingsSource> BackupReadings(CVantrelArchive archive, const QString& title);
// The series of a site's history.
std::unique_ptr<ReadingsSource> HistoryReadings(SiteHistory history);

}  // namespace vantrel::app
