// SPDX-License-Identifier: GPL-3.0-or-later
// The readings window's source for one backup: its profiles in archive order.

#include "app/common/ListCtrlEx.h"
#include "app/readings/ReadingsSource.h"
#include "ops/BackupSummary.h"

namespace vantrel::app {
namespace {

class BackupSource final : public ReadingsSource {
public:
    BackupSource(CVantrelArchive archive, const QString& title)
        : archive_(std::move(archive)), title_(title) {}

    QString Title() const override { return title_; }
    int Count() const override { return archive_.GetProfileCount(); }
    QString NoEntriesText() const override {
        return QStringLiteral("The backup holds no profiles.");
    }

    QString EntryText(int index) const override {
        const QString depths = archive_.HasData(index)
                                   ? QStringLiteral("%1 - %2%3")
                                         .arg(archive_.GetFirstDepth(index))
                                         .arg(archive_.GetLastDepth(index))
                                         .arg(QString::fromStdString(archive_.GetUnitsText(index)))
                                   : QStringLiteral("incomplete");
        const DateTimeValue firstDate = archive_.GetFirstDate(index);
        const QString first = CListCtrlEx::ShortDateText(firstDate);
        const QString last = CListCtrlEx::ShortDateText(archive_.GetLastDate(index));
        // A profile without readings keeps the dates it was never given.
        const QString period = first.isEmpty() || IsUnsetDate(firstDate)
                                   ? QStringLiteral("no readings")
                                   : first + QStringLiteral(" to ") + last;
        return QStringLiteral("%1.  Site# %2,  %3,  %4")
            .arg(index + 1)
            .arg(archive_.GetProfileNo(index))
            .arg(depths, period);
    }

    ProfileSeries Build(int index, ExportFormat format) const override {
        return BuildProfileSeries(archive_, index, format);
    }
    QString ChartTitle(const ProfileSeries& series) const override {
        return chart::ChartTitle(title_, series);
    }

private:
    CVantrelArchive archive_;
    QString title_;
};

}  // namespace

std::unique_ptr<ReadingsSource> BackupReadings(CVantrelArchive archive, const QString& title) {
    return std::make_unique<BackupSource>(std::move(archive), title);
}

}  // namespace vantrel::app
