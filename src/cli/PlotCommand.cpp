// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel plot BACKUP.vbk... --profile N [--series K] --out FILE.png|FILE.svg
//              [--format calibrated|scaled] [--size WIDTHxHEIGHT]
// The chart of the readings window drawn without a display: one line per sensor depth of
// one profile over time, written to a PNG or SVG file for reports and scripts. Several
// backups give the profile's readings over all of them (a site's history, ops/SiteHistory.h).

#include <QGuiApplication>
#include <QLoggingCategory>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "base/PathText.h"
#include "chart/ChartImage.h"
#include "chart/HistoryChart.h"
#include "chart/ReadingsChart.h"
#include "cli/BackupArgument.h"
#include "cli/Command.h"
#include "cli/Console.h"
#include "cli/SharedOptions.h"
#include "cli/TerminalText.h"
#include "data/AtomicFile.h"
#include "frontend/ProfileSelection.h"
#include "ops/ProfileSeries.h"

namespace vantrel::cli {
namespace {

constexpr int kDefaultWidth = 1200;
constexpr int kDefaultHeight = 700;
// Smaller than this leaves no room for the axes and the legend; larger takes memory for
// nothing a report needs (4000 x 4000 pixels are 64 MB).
constexpr int kMinSide = 200;
constexpr int kMaxSide = 4000;

std::optional<int> WholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

QSize ParseSize(const std::optional<std::string>& text) {
    if (!text) return QSize(kDefaultWidth, kDefaultHeight);
    const std::size_t x = text->find_first_of("xX");
    const std::optional<int> width =
        x == std::string::npos ? std::nullopt : WholeNumber(std::string_view(*text).substr(0, x));
    const std::optional<int> height =
        x == std::string::npos ? std::nullopt : WholeNumber(std::string_view(*text).substr(x + 1));
    if (!width || !height) {
        throw UsageError("--size is WIDTHxHEIGHT in pixels, such as 1200x700, not '" + *text + "'");
    }
    if (*width < kMinSide || *width > kMaxSide || *height < kMinSide || *height > kMaxSide) {
        throw UsageError("--size takes " + std::to_string(kMinSide) + " to " +
                         std::to_string(kMaxSide) + " pixels a side, not '" + *text + "'");
    }
    return QSize(*width, *height);
}

int ParseProfileNumber(const std::optional<std::string>& text) {
    if (!text) throw UsageError("--profile N is required");
    const std::optional<int> number = WholeNumber(*text);
    if (!number) throw UsageError("--profile takes one profile number, not '" + *text + "'");
    return *number;
}

int ParseSeriesNumber(const std::optional<std::string>& text) {
    if (!text) return 1;
    const std::optional<int> number = WholeNumber(*text);
    if (!number || *number < 1) {
        throw UsageError("--series takes a series number from 1, not '" + *text + "'");
    }
    return *number;
}

// Qt's own notes on the terminal, but for the one about the runtime folder, which a
// command that keeps no runtime files does not need (it is missing under cron and ssh).
void PassQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))) return;
    std::fputs(qFormatLogMessage(type, context, text).toLocal8Bit().append('\n').constData(),
               stderr);
}

// The chart needs the GUI application object (for its fonts) but never shows a window:
// without a platform chosen by the user it draws on one that needs no display, so that it
// runs the same with or without one (a terminal over ssh, a cron job).
std::unique_ptr<QGuiApplication> StartDrawing() {
    if (QCoreApplication::instance() != nullptr) return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", ChartDrawingPlatform());
    }
    qInstallMessageHandler(PassQtMessage);
    // The platform's notes are about screens and windows, which a drawing never shows.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.qpa.*=false"));
    static int argc = 1;
    static char name[] = "vantrel";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

struct PlotRequest {
    std::string out;
    chart::ImageKind kind = chart::ImageKind::Png;
    ExportFormat format = ExportFormat::Calibrated;
    QSize size;
    int profile = 0;
    int series = 1;
};

std::string_view FormatWords(ExportFormat format) {
    return format == ExportFormat::Scaled ? "scaled frequency" : "calibrated moisture";
}

int WriteImage(const PlotRequest& request, const QByteArray& bytes, CommandIo& io) {
    try {
        WriteFileAtomically(PathFromUtf8(request.out),
                            std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    } catch (const std::system_error& error) {
        io.err << kProgram << " plot: cannot write " << PrintableText(request.out) << ": "
               << error.code().message() << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

int PlotBackup(const PlotRequest& request, const std::string& path, CommandIo& io) {
    const std::optional<CVantrelArchive> archive = LoadBackupArgument(path, io);
    if (!archive) return kExitUsage;
    const int index = SelectProfiles(*archive, std::to_string(request.profile)).front();
    if (request.series != 1) {
        throw UsageError("the backup holds one series of profile " +
                         std::to_string(request.profile) + ": --series takes 1");
    }
    const ProfileSeries series = BuildProfileSeries(*archive, index, request.format);
    if (series.IsEmpty()) {
        io.err << kProgram << " plot: " << series.emptyReason << " No image was written.\n";
        return kExitFailed;
    }

    const std::unique_ptr<QGuiApplication> application = StartDrawing();
    const QString title =
        chart::ChartTitle(QString::fromStdString(Utf8FromPath(PathFromUtf8(path).stem())), series);
    const QByteArray bytes = chart::RenderReadingsImage(series, title, request.size, request.kind);
    if (const int failed = WriteImage(request, bytes, io); failed != kExitOk) return failed;
    io.out << "Wrote " << PrintableText(request.out) << ": profile " << series.profileNo << ", "
           << series.readings << " readings at " << series.depths.size() << " depths, "
           << FormatWords(request.format) << ", " << request.size.width() << "x"
           << request.size.height() << "\n";
    if (series.unplottableValues > 0) {
        io.out << series.unplottableValues
               << " values are not numbers and leave gaps in their lines.\n";
    }
    return kExitOk;
}

// The chosen series of the profile over every backup; several series are named, and so
// are the gaps and disagreements of the one drawn.
int PlotHistory(const PlotRequest& request, const std::vector<std::string>& paths, CommandIo& io) {
    const std::optional<SiteHistory> history = LoadHistoryArguments(paths, io);
    if (!history) return kExitUsage;
    std::vector<int> candidates;
    for (int k = 0; k < static_cast<int>(history->Series().size()); ++k) {
        if (history->Series()[static_cast<std::size_t>(k)].ProfileNo() == request.profile) {
            candidates.push_back(k);
        }
    }
    if (candidates.empty()) {
        const bool incomplete = std::any_of(
            history->Incomplete().begin(), history->Incomplete().end(),
            [&](const HistoryProfile& p) {
                return history->ArchiveOf(p).GetProfileNo(p.profileIndex) == request.profile;
            });
        if (incomplete) {
            io.err << kProgram << " plot: profile " << request.profile
                   << " is incomplete in every backup that holds it: none holds its data file."
                   << " No image was written.\n";
            return kExitFailed;
        }
        throw UsageError("the backups hold no profile " + std::to_string(request.profile));
    }
    if (request.series > static_cast<int>(candidates.size())) {
        throw UsageError("the backups hold " + std::to_string(candidates.size()) +
                         (candidates.size() == 1 ? " series" : " series") + " of profile " +
                         std::to_string(request.profile) + ": --series takes 1 to " +
                         std::to_string(candidates.size()));
    }
    const int chosen = candidates[static_cast<std::size_t>(request.series - 1)];
    const HistorySeries& merged = history->Series()[static_cast<std::size_t>(chosen)];
    const ProfileSeries series = BuildHistorySeries(*history, chosen, request.format);
    if (series.IsEmpty()) {
        io.err << kProgram << " plot: " << series.emptyReason << " No image was written.\n";
        return kExitFailed;
    }

    const std::unique_ptr<QGuiApplication> application = StartDrawing();
    const QByteArray bytes =
        chart::RenderHistoryImage(*history, series, request.size, request.kind);
    if (const int failed = WriteImage(request, bytes, io); failed != kExitOk) return failed;
    io.out << "Wrote " << PrintableText(request.out) << ": profile " << series.profileNo;
    if (merged.ofProfile > 1) io.out << ", series " << merged.ordinal << " of " << merged.ofProfile;
    io.out << ", " << series.readings << " readings at " << series.depths.size() << " depths from "
           << merged.stretches.size() << " of " << history->Backups().size() << " backups, "
           << FormatWords(request.format) << ", " << request.size.width() << "x"
           << request.size.height() << "\n";
    io.out << merged.gaps.size() << (merged.gaps.size() == 1 ? " gap" : " gaps")
           << " (readings further apart than twice the usual interval), "
           << merged.disagreements.size()
           << (merged.disagreements.size() == 1 ? " disagreement" : " disagreements")
           << " (the later backup's reading drawn).\n";
    if (series.unplottableValues > 0) {
        io.out << series.unplottableValues
               << " values are not numbers and leave gaps in their lines.\n";
    }
    if (merged.ofProfile > 1) {
        io.out << "Profile " << request.profile << " has " << merged.ofProfile
               << " series, as its depths or calibration changed:";
        for (const int k : candidates) {
            const HistorySeries& other = history->Series()[static_cast<std::size_t>(k)];
            if (other.ordinal > 1) {
                io.out << " series " << other.ordinal << " differs from series 1 in "
                       << other.difference << ";";
            }
        }
        io.out << " --series K draws series K.\n";
    }
    return kExitOk;
}

int RunPlot(const ParsedArgs& args, CommandIo& io) {
    PlotRequest request;
    const std::optional<std::string> out = args.Value("--out");
    if (!out || out->empty()) throw UsageError("--out FILE.png or FILE.svg is required");
    request.out = *out;
    const std::optional<chart::ImageKind> kind = chart::ImageKindOf(QString::fromStdString(*out));
    if (!kind)
        throw UsageError("--out names a .png or .svg file, not '" + PrintableText(*out) + "'");
    request.kind = *kind;
    request.format = options::ParseExportFormat(args.Value("--format"));
    request.size = ParseSize(args.Value("--size"));
    request.profile = ParseProfileNumber(args.Value("--profile"));
    request.series = ParseSeriesNumber(args.Value("--series"));
    if (args.positionals.size() == 1) return PlotBackup(request, args.positionals[0], io);
    return PlotHistory(request, args.positionals, io);
}

const CommandRegistration kPlot{Command{
    CommandSpec{
        .name = "plot",
        .summary = "Draw the readings of one profile of backups as a PNG or SVG chart",
        .arguments = "BACKUP.vbk... --profile N --out FILE.png|FILE.svg [options]",
        .minPositionals = 1,
        .maxPositionals = 1000,
        .options =
            {
                {"--profile", "N", "the profile number to draw (as `vantrel info` lists them)"},
                {"--series", "K",
                 "of several backups, the profile's series K (default 1), as `vantrel info` "
                 "numbers them"},
                {"--out", "FILE", "the image to write: FILE.png or FILE.svg"},
                {"--format", "FORMAT",
                 "'calibrated' moisture readings (default) or 'scaled' frequency readings"},
                {"--size", "WxH", "image size in pixels (default 1200x700, 200 to 4000 a side)"},
            },
        .details = "One line per sensor depth over time, with the values `vantrel export` writes;\n"
                   "a value that is not a number leaves a gap. The desktop program's readings\n"
                   "window shows the same chart. No display is needed.\n"
                   "\n"
                   "Several backups of one site draw the profile's readings over all of them, in\n"
                   "order of backup time, whatever the order given: one reading per time (where\n"
                   "backups hold different readings of one time, the later backup's), the lines\n"
                   "broken where readings are further apart than twice the usual interval, and a\n"
                   "thin line where each backup's readings begin. Backups whose profile N differs\n"
                   "in depths or calibration hold separate series of it: series 1 is drawn, and\n"
                   "--series K draws another (`vantrel info` with the same backups lists them).\n"
                   "\n"
                   "Exit status: 0 written, 1 the profile has nothing to draw or the file could\n"
                   "not be written, 2 usage error, unreadable backup or unknown profile or series.",
    },
    &RunPlot}};

}  // namespace
}  // namespace vantrel::cli
