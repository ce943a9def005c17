// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel info BACKUP.vbk [--json]: what a backup holds.

#include <cstdio>

#include "cli/BackupArgument.h"
#include "cli/Command.h"
#include "cli/InfoJson.h"
#include "cli/TerminalText.h"
#include "ops/BackupSummary.h"
#include "ops/RestorePlan.h"

namespace vantrel::cli {
namespace {

std::string DateText(const DateTimeValue& value) {
    std::string iso = FormatIsoLocal(value);
    if (IsUnsetDate(value) || iso.empty()) return "-";
    iso[iso.find('T')] = ' ';
    return iso;
}

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

int RunInfo(const ParsedArgs& args, CommandIo& io) {
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
        .arguments = "BACKUP.vbk [--json]",
        .minPositionals = 1,
        .maxPositionals = 1,
        .options = {{"--json", "", "print one JSON object instead of text"}},
        .details = "Dates are local times; a date that was never set prints as '-' (null in "
                   "JSON).",
    },
    &RunInfo}};

}  // namespace
}  // namespace vantrel::cli
