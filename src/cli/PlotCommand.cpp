// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel plot BACKUP.vbk --profile N --out FILE.png|FILE.svg [--format calibrated|scaled]
//              [--size WIDTHxHEIGHT]
// The chart of the readings window drawn without a display: one line per sensor depth of
// one profile over time, written to a PNG or SVG file for reports and scripts.

#include <QGuiApplication>
#include <QLoggingCategory>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "base/PathText.h"
#include "chart/ChartImage.h"
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

int RunPlot(const ParsedArgs& args, CommandIo& io) {
    const std::optional<std::string> out = args.Value("--out");
    if (!out || out->empty()) throw UsageError("--out FILE.png or FILE.svg is required");
    const std::optional<chart::ImageKind> kind = chart::ImageKindOf(QString::fromStdString(*out));
    if (!kind)
        throw UsageError("--out names a .png or .svg file, not '" + PrintableText(*out) + "'");
    const ExportFormat format = options::ParseExportFormat(args.Value("--format"));
    const QSize size = ParseSize(args.Value("--size"));
    const int number = ParseProfileNumber(args.Value("--profile"));

    const std::string& path = args.positionals[0];
    const std::optional<CVantrelArchive> archive = LoadBackupArgument(path, io);
    if (!archive) return kExitUsage;
    const int index = SelectProfiles(*archive, std::to_string(number)).front();
    const ProfileSeries series = BuildProfileSeries(*archive, index, format);
    if (series.IsEmpty()) {
        io.err << kProgram << " plot: " << series.emptyReason << " No image was written.\n";
        return kExitFailed;
    }

    const std::unique_ptr<QGuiApplication> application = StartDrawing();
    const QString title =
        chart::ChartTitle(QString::fromStdString(Utf8FromPath(PathFromUtf8(path).stem())), series);
    const QByteArray bytes = chart::RenderReadingsImage(series, title, size, *kind);
    try {
        WriteFileAtomically(PathFromUtf8(*out),
                            std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    } catch (const std::system_error& error) {
        io.err << kProgram << " plot: cannot write " << PrintableText(*out) << ": "
               << error.code().message() << "\n";
        return kExitFailed;
    }
    io.out << "Wrote " << PrintableText(*out) << ": profile " << series.profileNo << ", "
           << series.readings << " readings at " << series.depths.size() << " depths, "
           << (format == ExportFormat::Scaled ? "scaled frequency" : "calibrated moisture") << ", "
           << size.width() << "x" << size.height() << "\n";
    if (series.unplottableValues > 0) {
        io.out << series.unplottableValues
               << " values are not numbers and leave gaps in their lines.\n";
    }
    return kExitOk;
}

const CommandRegistration kPlot{Command{
    CommandSpec{
        .name = "plot",
        .summary = "Draw the readings of one profile of a backup as a PNG or SVG chart",
        .arguments = "BACKUP.vbk --profile N --out FILE.png|FILE.svg [options]",
        .minPositionals = 1,
        .maxPositionals = 1,
        .options =
            {
                {"--profile", "N", "the profile number to draw (as `vantrel info` lists them)"},
                {"--out", "FILE", "the image to write: FILE.png or FILE.svg"},
                {"--format", "FORMAT",
                 "'calibrated' moisture readings (default) or 'scaled' frequency readings"},
                {"--size", "WxH", "image size in pixels (default 1200x700, 200 to 4000 a side)"},
            },
        .details = "One line per sensor depth over time, with the values `vantrel export` writes;\n"
                   "a value that is not a number leaves a gap. The desktop program's readings\n"
                   "window shows the same chart. No display is needed. Exit status: 0 written,\n"
                   "1 the profile has nothing to draw or the file could not be written, 2 usage\n"
                   "error, unreadable backup or unknown profile.",
    },
    &RunPlot}};

}  // namespace
}  // namespace vantrel::cli
