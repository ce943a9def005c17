// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/HistoryInfo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <cstdio>

#include "base/PathText.h"
#include "cli/InfoJson.h"
#include "cli/TerminalText.h"

namespace vantrel::cli {
namespace {

DateTimeValue At(double days) {
    return DateTimeValue{days, DateTimeValue::kValid};
}

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "backups 1-3, 5" of the series' stretches (backup numbers from 1, in backup order).
std::string BackupNumbers(const HistorySeries& series) {
    std::string text = series.stretches.size() == 1 ? "backup " : "backups ";
    const auto& stretches = series.stretches;
    for (std::size_t k = 0; k < stretches.size();) {
        std::size_t end = k + 1;
        while (end < stretches.size() && stretches[end].backup == stretches[end - 1].backup + 1)
            ++end;
        if (k > 0) text += ", ";
        text += std::to_string(stretches[k].backup + 1);
        if (end - k > 1) text += "-" + std::to_string(stretches[end - 1].backup + 1);
        k = end;
    }
    return text;
}

std::string SeriesName(const HistorySeries& series) {
    std::string name = "Profile " + std::to_string(series.ProfileNo());
    if (series.ofProfile > 1) {
        name += ", series " + std::to_string(series.ordinal) + " of " +
                std::to_string(series.ofProfile);
    }
    return name;
}

const CVantrelArchive& FirstArchive(const SiteHistory& history, const HistorySeries& series,
                                    int& index) {
    const HistoryProfile& first = series.members.front();
    index = first.profileIndex;
    return history.ArchiveOf(first);
}

// The line after the first kListedLines of `count` items, when there are more.
void PrintMore(std::size_t count, std::ostream& out) {
    if (count > kListedLines) {
        out << "      and " << count - kListedLines << " more (--json lists every one)\n";
    }
}

void PrintBackups(const SiteHistory& history, std::ostream& out) {
    out << "Backups:         " << history.Backups().size() << ", in order of backup time\n"
        << "  No.  Backup date          First reading        Last reading         Profiles  "
           "File\n";
    for (std::size_t b = 0; b < history.Backups().size(); ++b) {
        const HistoryBackup& backup = history.Backups()[b];
        char line[160];
        std::snprintf(line, sizeof line, "  %3d  %-19s  %-19s  %-19s  %8d  ",
                      static_cast<int>(b + 1), DateText(backup.archive.m_dtBackup).c_str(),
                      DateText(backup.archive.m_dtFrom).c_str(),
                      DateText(backup.archive.m_dtTo).c_str(), backup.archive.GetProfileCount());
        out << line << PrintableText(Utf8FromPath(backup.file)) << "\n";
    }
}

void PrintSeries(const SiteHistory& history, const HistorySeries& series, std::ostream& out) {
    out << "  " << SeriesName(series) << ": "
        << Plural(series.readings.size(), "reading", "readings") << " from "
        << BackupNumbers(series);
    if (!series.readings.empty()) {
        out << ", " << DateText(At(series.readings.front().days)) << " to "
            << DateText(At(series.readings.back().days));
    }
    int index = 0;
    const CVantrelArchive& archive = FirstArchive(history, series, index);
    out << "\n    Depths " << archive.GetFirstDepth(index) << " - " << archive.GetLastDepth(index)
        << " " << archive.GetUnitsText(index) << ", "
        << Plural(static_cast<std::size_t>(archive.GetSensorCount(index)), "sensor", "sensors");
    if (series.usualIntervalSeconds > 0) {
        out << "; usual interval " << DurationText(series.usualIntervalSeconds);
    }
    out << "\n";
    if (!series.difference.empty()) {
        out << "    Differs from series 1 in " << series.difference << "\n";
    }

    if (!series.gaps.empty()) {
        out << "    " << Plural(series.gaps.size(), "gap", "gaps")
            << " (readings further apart than twice the usual interval):\n";
        for (std::size_t k = 0; k < series.gaps.size() && k < kListedLines; ++k) {
            const ReadingGap& gap = series.gaps[k];
            out << "      " << DateText(At(gap.fromDays)) << " to " << DateText(At(gap.toDays))
                << " (" << DurationText(gap.seconds) << ")\n";
        }
        PrintMore(series.gaps.size(), out);
    }
    if (!series.disagreements.empty()) {
        out << "    " << Plural(series.disagreements.size(), "disagreement", "disagreements")
            << " (times at which backups hold different readings; the later backup's is kept):\n";
        for (std::size_t k = 0; k < series.disagreements.size() && k < kListedLines; ++k) {
            const Disagreement& disagreement = series.disagreements[k];
            out << "      " << DateText(At(disagreement.days)) << "  backup "
                << disagreement.kept + 1 << " kept, ";
            out << (disagreement.overruled.size() == 1 ? "backup " : "backups ");
            for (std::size_t o = 0; o < disagreement.overruled.size(); ++o) {
                out << (o > 0 ? ", " : "") << disagreement.overruled[o] + 1;
            }
            out << " overruled\n";
        }
        PrintMore(series.disagreements.size(), out);
    }
}

QJsonValue Text(const std::string& text) {
    return QString::fromStdString(text);
}

QJsonObject SeriesJson(const SiteHistory& history, const HistorySeries& series) {
    int index = 0;
    const CVantrelArchive& archive = FirstArchive(history, series, index);
    QJsonObject json;
    json["profile"] = series.ProfileNo();
    json["series"] = series.ordinal;
    json["seriesOfProfile"] = series.ofProfile;
    json["differs"] =
        series.difference.empty() ? QJsonValue(QJsonValue::Null) : Text(series.difference);
    json["sensors"] = archive.GetSensorCount(index);
    json["firstDepth"] = archive.GetFirstDepth(index);
    json["lastDepth"] = archive.GetLastDepth(index);
    json["units"] = Text(archive.GetUnitsText(index));
    const bool any = !series.readings.empty();
    json["firstReading"] =
        any ? DateJson(At(series.readings.front().days)) : QJsonValue(QJsonValue::Null);
    json["lastReading"] =
        any ? DateJson(At(series.readings.back().days)) : QJsonValue(QJsonValue::Null);
    json["readings"] = static_cast<qint64>(series.readings.size());
    json["usualIntervalSeconds"] = static_cast<qint64>(series.usualIntervalSeconds);
    QJsonArray backups;
    for (const BackupStretch& stretch : series.stretches) {
        QJsonObject entry;
        entry["backup"] = stretch.backup;
        entry["firstReading"] = DateJson(At(stretch.firstDays));
        entry["lastReading"] = DateJson(At(stretch.lastDays));
        entry["readings"] = stretch.readings;
        backups.append(entry);
    }
    json["backups"] = backups;
    QJsonArray gaps;
    for (const ReadingGap& gap : series.gaps) {
        QJsonObject entry;
        entry["from"] = DateJson(At(gap.fromDays));
        entry["to"] = DateJson(At(gap.toDays));
        entry["seconds"] = static_cast<qint64>(gap.seconds);
        gaps.append(entry);
    }
    json["gaps"] = gaps;
    QJsonArray disagreements;
    for (const Disagreement& disagreement : series.disagreements) {
        QJsonObject entry;
        entry["time"] = DateJson(At(disagreement.days));
        entry["kept"] = disagreement.kept;
        QJsonArray overruled;
        for (const int b : disagreement.overruled) overruled.append(b);
        entry["overruled"] = overruled;
        disagreements.append(entry);
    }
    json["disagreements"] = disagreements;
    return json;
}

}  // namespace

std::string DurationText(std::int64_t seconds) {
    const std::int64_t days = seconds / 86400;
    const std::int64_t rest = seconds % 86400;
    char clock[32];
    std::snprintf(clock, sizeof clock, "%02lld:%02lld:%02lld", static_cast<long long>(rest / 3600),
                  static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
    if (days == 0) return clock;
    return std::to_string(days) + (days == 1 ? " day " : " days ") + clock;
}

void PrintHistory(const SiteHistory& history, std::ostream& out) {
    PrintBackups(history, out);
    out << "Series:          " << history.Series().size() << "\n";
    for (const HistorySeries& series : history.Series()) PrintSeries(history, series, out);
    out << "Incomplete:      " << history.Incomplete().size()
        << (history.Incomplete().empty() ? "\n" : " (no data file, in no series)\n");
    for (const HistoryProfile& profile : history.Incomplete()) {
        out << "  Profile " << history.ArchiveOf(profile).GetProfileNo(profile.profileIndex)
            << " of backup " << profile.backup + 1 << "\n";
    }
}

std::string HistoryJson(const SiteHistory& history) {
    QJsonArray backups;
    for (const HistoryBackup& backup : history.Backups()) {
        QJsonObject json;
        json["file"] = Text(Utf8FromPath(backup.file));
        json["title"] = Text(backup.title);
        json["backupDate"] = DateJson(backup.archive.m_dtBackup);
        json["dateFrom"] = DateJson(backup.archive.m_dtFrom);
        json["dateTo"] = DateJson(backup.archive.m_dtTo);
        json["profiles"] = backup.archive.GetProfileCount();
        backups.append(json);
    }
    QJsonArray series;
    for (const HistorySeries& one : history.Series()) series.append(SeriesJson(history, one));
    QJsonArray incomplete;
    for (const HistoryProfile& profile : history.Incomplete()) {
        QJsonObject json;
        json["backup"] = profile.backup;
        json["profile"] = history.ArchiveOf(profile).GetProfileNo(profile.profileIndex);
        incomplete.append(json);
    }
    QJsonObject json;
    json["backups"] = backups;
    json["series"] = series;
    json["incomplete"] = incomplete;
    return QJsonDocument(json).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace vantrel::cli
