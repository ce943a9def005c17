// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel info BACKUP.vbk... [--json]: what a backup holds; of several backups, the site's
// history they hold together (cli/HistoryInfo.h).

#include <cstdio>

#include "cli/BackupArgument.h"
#include "cli/Command.h"
#include "cli/HistoryInfo.h"
#include "cli/InfoJson.h"
#include "cli/TerminalText.h"
#include "ops/BackupSummary.h"
#include "ops/RestorePlan.h"

namespace vantrel::cli {
namespace {

std::string DepthsText(const ProfileSummary& profile) {
    if (!profile.units) return "incomplete (no data file)";
    return std::to_string(profile.firstDepth) + " - " + std::to_string(profile.lastDepth) + " " +
           *profile.units;
}

void PrintSummary(const std::string& path, const BackupSummary& summary, std::size_t loggerFiles,
                  std::ostream& out) {
    out << "Backup:          " << path << "\n"
        << "Backup date:     " << DateText(summary.backupDate) << "\n"
        << "Reading period:  " << DateText(summary.dateFrom) << " to " << DateText(summary.dateTo)
        << "\n"
        << "Profiles:        " << summary.profiles.size() << "\n";
    if (!summary.profiles.empty()) {
        out << "  No.  First reading        Last reading         Readings  Sensors  Depths\n";
        for (const ProfileSummary& p : summary.profiles) {
            char line[160];
            std::snprintf(line, sizeof line, "  %3d  %-19s  %-19s  %8d  %7d  ", p.number,
                          DateText(p.firstReading).c_str(), DateText(p.lastReading).c_str(),
                          p.readings, p.sensors);
            out << line << DepthsText(p) << "\n";
        }
    }
    out << "User soil table:   " << (summary.hasUserSoil ? "yes" : "missing") << "\n"
        << "Ortvel soil table: " << (summary.hasOrtvelSoil ? "yes" : "missing") << "\n"
        << "Device config:     " << (summary.hasDeviceConfig ? "yes" : "missing") << "\n"
        << "Other files:     " << summary.otherFiles.size() << "\n";
    for (const OtherFileSummary& file : summary.otherFiles) {
        out << "  " << PrintableText(file.name) << "  " << file.bytes << " bytes\n";
    }
    out << "Logger files:    " << loggerFiles
        << (loggerFiles == 0 ? " (holds nothing: it cannot be restored)"
                             : " (what a restore writes)")
        << "\n";
}

int RunHistoryInfo(const ParsedArgs& args, CommandIo& io) {
    const std::optional<SiteHistory> history = LoadHistoryArguments(args.positionals, io);
    if (!history) return kExitUsage;
    if (args.Has("--json")) {
        io.out << HistoryJson(*history);
    } else {
        PrintHistory(*history, io.out);
    }
    return kExitOk;
}

int RunInfo(const ParsedArgs& args, CommandIo& io) {
    if (args.positionals.size() > 1) return RunHistoryInfo(args, io);
    const std::string& path = args.positionals[0];
    const std::optional<CVantrelArchive> archive = LoadBackupArgument(path, io);
    if (!archive) return kExitUsage;
    const BackupSummary summary = SummariseBackup(*archive);
    if (args.Has("--json")) {
        io.out << BackupSummaryJson(summary);
    } else {
        PrintSummary(PrintableText(path), summary, RestorePlan(*archive).size(), io.out);
    }
    return kExitOk;
}

const CommandRegistration kInfo{Command{
    CommandSpec{
        .name = "info",
        .summary = "Show what a backup holds: profiles, reading periods, soil tables, files",
        .arguments = "BACKUP.vbk... [--json]",
        .minPositionals = 1,
        .maxPositionals = 1000,
        .options = {{"--json", "", "print one JSON object instead of text"}},
        .details =
            "Dates are local times; a date that was never set prints as '-' (null in JSON).\n"
            "\n"
            "Several backups of one site show their history: the backups in order of backup\n"
            "time, numbered from 1; each series of readings with its period, its backups,\n"
            "its usual interval (the median between consecutive readings), its gaps\n"
            "(readings further apart than twice that) and its disagreements (times at which\n"
            "backups hold different readings: the later backup's is kept); and the profiles\n"
            "without a data file. A profile is one series over the backups whose depths and\n"
            "calibration (the header `vantrel export` writes, and the soil codes) agree;\n"
            "where they differ, each kind is a series of its own, which says what differs.",
    },
    &RunInfo}};

}  // namespace
}  // namespace vantrel::cli
