// SPDX-License-Identifier: GPL-3.0-or-later
// The readings window's source for several backups: the series of their site's history
// (ops/SiteHistory.h), each drawn over all its backups with a mark where each one begins.

#include "app/common/ListCtrlEx.h"
#include "app/readings/ReadingsSource.h"
#include "chart/HistoryChart.h"

namespace vantrel::app {
namespace {

DateTimeValue At(double days) {
    return DateTimeValue{days, DateTimeValue::kValid};
}

class HistorySource final : public ReadingsSource {
public:
    explicit HistorySource(SiteHistory history) : history_(std::move(history)) {}

    QString Title() const override { return chart::HistoryTitle(history_); }
    int Count() const override { return static_cast<int>(history_.Series().size()); }
    QString NoEntriesText() const override {
        return QStringLiteral("The backups hold no profile with a data file.");
    }

    QString EntryText(int entry) const override {
        const HistorySeries& series = Series(entry);
        const HistoryProfile& first = series.members.front();
        const CVantrelArchive& archive = history_.ArchiveOf(first);
        const int index = first.profileIndex;
        QString text = QStringLiteral("%1.  Site# %2").arg(entry + 1).arg(series.ProfileNo());
        if (series.ofProfile > 1) {
            text += QStringLiteral(" (series %1 of %2)").arg(series.ordinal).arg(series.ofProfile);
        }
        text += QStringLiteral(",  %1 - %2%3")
                    .arg(archive.GetFirstDepth(index))
                    .arg(archive.GetLastDepth(index))
                    .arg(QString::fromStdString(archive.GetUnitsText(index)));
        text += series.readings.empty()
                    ? QStringLiteral(",  no readings")
                    : QStringLiteral(",  %1 to %2")
                          .arg(CListCtrlEx::ShortDateText(At(series.readings.front().days)),
                               CListCtrlEx::ShortDateText(At(series.readings.back().days)));
        return text + QStringLiteral(",  %1 of %2 backups")
                          .arg(series.stretches.size())
                          .arg(history_.Backups().size());
    }

    ProfileSeries Build(int entry, ExportFormat format) const override {
        return BuildHistorySeries(history_, entry, format);
    }
    QString ChartTitle(const ProfileSeries& series) const override {
        return chart::HistoryChartTitle(history_, series);
    }
    std::vector<chart::ReadingsChart::Mark> Marks(int entry) const override {
        return chart::BackupMarks(history_, entry);
    }

    QString SummaryNote(int entry) const override {
        const HistorySeries& series = Series(entry);
        const std::size_t backups = history_.Backups().size();
        QString note =
            series.stretches.size() == backups
                ? QStringLiteral("from %1 backups").arg(backups)
                : QStringLiteral("from %1 of %2 backups").arg(series.stretches.size()).arg(backups);
        note += series.gaps.empty()
                    ? QStringLiteral("; no gaps")
                    : QStringLiteral("; %1").arg(Count(series.gaps.size(), "gap", "gaps"));
        note += series.disagreements.empty()
                    ? QStringLiteral("; no disagreements")
                    : QStringLiteral("; %1, the later backup's shown")
                          .arg(Count(series.disagreements.size(), "disagreement", "disagreements"));
        if (!series.difference.empty()) {
            note += QStringLiteral("; differs from series 1 in %1")
                        .arg(QString::fromStdString(series.difference));
        }
        return note;
    }

    QString ReadingNote(const ProfileSeries& series, const ReadingPoint& point) const override {
        const HistorySeries& merged = Series(series.profileIndex);
        const HistoryReading& reading = merged.readings.at(static_cast<std::size_t>(point.reading));
        const int backup = history_.BackupOf(merged, reading);
        return QStringLiteral("from %1").arg(
            QString::fromStdString(history_.Backups()[static_cast<std::size_t>(backup)].title));
    }

private:
    const HistorySeries& Series(int entry) const {
        return history_.Series().at(static_cast<std::size_t>(entry));
    }
    static QString Count(std::size_t count, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
    }

    SiteHistory history_;
};

}  // namespace

std::unique_ptr<ReadingsSource> HistoryReadings(SiteHistory history) {
    return std::make_unique<HistorySource>(std::move(history));
}

}  // namespace vantrel::app
