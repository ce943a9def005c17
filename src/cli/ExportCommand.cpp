// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel export BACKUP.vbk... --out FILE [--format calibrated|scaled] [--profiles N,N,...]
// One comma-separated file per profile, named "FILE (ProNN).csv"; a file exported before
// takes only the readings it does not hold yet. Several backups are exported one after the
// other in order of backup time, exactly as so many exports of one backup each would.

#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "base/PathText.h"
#include "cli/BackupArgument.h"
#include "cli/Command.h"
#include "cli/InfoJson.h"
#include "cli/TerminalText.h"
#include "cli/ToolSettings.h"
#include "frontend/ProfileSelection.h"
#include "ops/AppSettings.h"
#include "ops/ExportFileName.h"
#include "ops/ExportFiles.h"
#include "ops/ExportSummary.h"
#include "ops/FolderCheck.h"

namespace vantrel::cli {
namespace {

ExportFormat ParseFormat(const std::optional<std::string>& text) {
    if (!text || *text == "calibrated") return ExportFormat::Calibrated;
    if (*text == "scaled") return ExportFormat::Scaled;
    throw UsageError("--format is 'calibrated' or 'scaled', not '" + *text + "'");
}

std::string_view OutcomeText(ProfileOutcome outcome) {
    switch (outcome) {
        case ProfileOutcome::Created:
            return "created";
        case ProfileOutcome::Appended:
            return "appended";
        case ProfileOutcome::Unchanged:
            return "unchanged";
        case ProfileOutcome::NothingNew:
            return "left as it was (the backup holds no reading later than the file's last)";
        case ProfileOutcome::Error:
            return "not exported";
        case ProfileOutcome::NotText:
            return "not exported: the existing file is not text";
        case ProfileOutcome::WriteFailed:
            return "could not be written";
        case ProfileOutcome::ReadFailed:
            return "could not be read";
    }
    return "";
}

void PrintProfiles(const ExportReport& report, std::ostream& out) {
    char number[16];
    for (const ProfileExport& profile : report.profiles) {
        std::snprintf(number, sizeof number, "%02d", profile.profileNo);
        out << "  Profile " << number << ": " << OutcomeText(profile.outcome) << "  "
            << PrintableText(profile.path) << "\n";
    }
}

void PrintFolder(const ExportReport& report, std::ostream& out) {
    const std::string folder = Utf8FromPath(
        report.exportPath.empty() ? std::filesystem::current_path()
                                  : std::filesystem::absolute(PathFromUtf8(report.exportPath)));
    out << "Export folder: " << PrintableText(folder) << "\n";
}

void PrintFiles(const ExportReport& report, std::ostream& out) {
    PrintProfiles(report, out);
    PrintFolder(report, out);
}

// The export is confirmed: keep its folder as "Export Path" before any file is written, as
// an absolute path so that it still means the same folder from elsewhere. Throws when the
// settings cannot be saved: nothing is exported then.
void RememberExportFolder(const std::string& exportFile, std::ostream& err) {
    ToolSettings settings(err);
    WriteExportFolder(
        settings.store(),
        ExportFolderOf(Utf8FromPath(std::filesystem::absolute(PathFromUtf8(exportFile)))));
    if (!settings.Sync()) {
        throw std::runtime_error("could not write the settings file " + settings.Problem());
    }
}

// What a fatal error of `report` says, on io.err.
void PrintFatalError(const ExportReport& report, CommandIo& io) {
    const ProfileExport& failed = report.profiles.back();
    // A write failure carries its reason and file on its second line already.
    io.err << kProgram << " export: " << PrintableText(report.fatalError, true);
    if (failed.outcome != ProfileOutcome::WriteFailed) io.err << ": " << PrintableText(failed.path);
    io.err << "\nThe export stopped there; files written before it stay.\n";
}

void PrintSummaries(const ExportReport& report, CommandIo& io) {
    for (const SummaryMessage& message : BuildExportSummaries(report.lists)) {
        std::ostream& stream = message.icon == SummaryIcon::Error ? io.err : io.out;
        stream << message.caption << "\n" << message.text << "\n";
    }
}

// Checks the export file's name and folder before anything is exported, so that no export
// stops half-way for want of a name or a folder; the name with ".csv" when it needs one.
std::optional<std::string> CheckedExportFile(const std::string& out, CommandIo& io) {
    const std::optional<std::string> exportFile = CheckExportFileName(out);
    if (!exportFile) {
        io.err << kProgram << " export: " << kEnterExportFilenameText << "\n";
        return std::nullopt;
    }
    if (const std::string problem = ExportNameProblem(*exportFile); !problem.empty()) {
        throw UsageError(PrintableText(problem));
    }
    const std::string folder = ExportFolderOf(*exportFile);
    if (const std::string problem = FolderWriteProblem(folder, "export folder"); !problem.empty()) {
        throw UsageError(PrintableText(problem));
    }
    return exportFile;
}

int ExportBackup(const ParsedArgs& args, ExportFormat format, const std::string& exportFile,
                 CommandIo& io) {
    const std::optional<CVantrelArchive> archive = LoadBackupArgument(args.positionals[0], io);
    if (!archive) return kExitUsage;
    const std::vector<int> indexes = SelectProfiles(*archive, args.Value("--profiles"));
    RememberExportFolder(exportFile, io.err);

    const ExportReport report = ExportProfiles(*archive, indexes, format, exportFile);
    if (!report.fatalError.empty()) {
        PrintFatalError(report, io);
        PrintFiles(report, io.out);
        return kExitFailed;
    }
    PrintSummaries(report, io);
    PrintFiles(report, io.out);
    return report.Succeeded() ? kExitOk : kExitFailed;
}

// Each backup in order of backup time, as `vantrel export` of it alone would export it (the
// profiles of --profiles that it holds), under a line naming it; the folder once at the end.
int ExportBackups(const ParsedArgs& args, ExportFormat format, const std::string& exportFile,
                  CommandIo& io) {
    const std::optional<SiteHistory> history = LoadHistoryArguments(args.positionals, io);
    if (!history) return kExitUsage;
    const std::vector<std::vector<int>> indexes =
        SelectProfilesOfEach(history->Backups(), args.Value("--profiles"));
    RememberExportFolder(exportFile, io.err);

    bool succeeded = true;
    ExportReport report;
    for (std::size_t b = 0; b < history->Backups().size(); ++b) {
        const HistoryBackup& backup = history->Backups()[b];
        io.out << "Backup " << (b + 1) << " of " << history->Backups().size() << ": "
               << PrintableText(backup.title) << " (taken " << DateText(backup.archive.m_dtBackup)
               << ")\n";
        report = ExportProfiles(backup.archive, indexes[b], format, exportFile);
        if (!report.fatalError.empty()) {
            PrintFatalError(report, io);
            PrintFiles(report, io.out);
            return kExitFailed;
        }
        PrintSummaries(report, io);
        PrintProfiles(report, io.out);
        succeeded = succeeded && report.Succeeded();
    }
    PrintFolder(report, io.out);
    return succeeded ? kExitOk : kExitFailed;
}

int RunExport(const ParsedArgs& args, CommandIo& io) {
    const std::optional<std::string> out = args.Value("--out");
    if (!out) throw UsageError("--out FILE is required");
    const ExportFormat format = ParseFormat(args.Value("--format"));
    const std::optional<std::string> exportFile = CheckedExportFile(*out, io);
    if (!exportFile) return kExitUsage;
    if (args.positionals.size() == 1) return ExportBackup(args, format, *exportFile, io);
    return ExportBackups(args, format, *exportFile, io);
}

const CommandRegistration kExport{Command{
    CommandSpec{
        .name = "export",
        .summary = "Export the profiles of backups to comma-separated files",
        .arguments = "BACKUP.vbk... --out FILE [options]",
        .minPositionals = 1,
        .maxPositionals = 1000,
        .options =
            {
                {"--out", "FILE", "export file name; profile n goes to \"FILE (Pronn).ext\""},
                {"--format", "FORMAT",
                 "'calibrated' moisture readings (default) or 'scaled' "
                 "frequency readings"},
                {"--profiles", "N,N,...", "profile numbers to export (default: all)"},
            },
        .details = "FILE whose own name has no \".\" gets \".csv\"; its folder must exist and be\n"
                   "writable. A profile file that exists already takes only the readings it\n"
                   "does not hold yet.\n"
                   "\n"
                   "Several backups are exported one after the other in order of backup time,\n"
                   "whatever the order given, each as `vantrel export` of it alone: the files\n"
                   "are the same as those exports made in that order. All are read first: an\n"
                   "unreadable backup exports nothing. --profiles exports from each backup the\n"
                   "listed profiles it holds; each must be in at least one of them.\n"
                   "\n"
                   "Exit status: 0 all exported, 1 some profile failed or a file could not be\n"
                   "written, 2 usage error, unreadable backup or unusable folder.",
    },
    &RunExport}};

}  // namespace
}  // namespace vantrel::cli
