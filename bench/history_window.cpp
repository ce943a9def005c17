// SPDX-License-Identifier: GPL-3.0-or-later
// history_window SERIES BACKUP.vbk... [--runs N] [--shot FILE.png] [--stages]
// A site's history opened in one process, against reading the same backups' bytes:
//   bytes    every file read whole into memory, nothing more;
//   window   from the start of loading the backups to the first paint of the readings
//            window's chart over all of them on series SERIES (1-based), as View Readings on
//            a selection of them does it;
//   plot     loading, merging and drawing series SERIES as `vantrel plot` does (its PNG bytes
//            at 1200x700, without the process start and the file write);
//   one      the window of the first backup alone, for comparison (what any window costs);
// each N times (default 7) in turns, and the memory: the peak resident set at the start,
// after the bytes and with the first window open. Prints the medians on one line
// (bench/history_timing.sh runs it); --shot saves the first window as it was painted.
// --stages prints instead where the plot's time goes: loading the archives, merging them,
// the series' values, the chart's points (reading times as local times), the backups' marks, the
// layout, the drawing, and the PNG's palette and packing, each the median of N runs.

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/frame/MainSheet.h"
#include "app/readings/ReadingsWindow.h"
#include "chart/ChartPalette.h"
#include "chart/HistoryChart.h"
#include "ops/BackupLoading.h"
#include "ops/ProfileSeries.h"
#include "platform/FixedSpecialFolders.h"
#include "platform/MemorySettings.h"

#include "gui_first_paint.h"

using namespace vantrel;
using namespace vantrel::app;

namespace {

double Ms(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Processor time of the process so far, in milliseconds: on a machine busy with other work
// it varies far less than the wall time.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Peak resident set of the process so far, in MiB.
double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Every file read whole into memory; returns their bytes.
std::size_t ReadBytes(const std::vector<std::filesystem::path>& files) {
    std::vector<std::string> contents;
    std::size_t bytes = 0;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::string& content = contents.emplace_back(std::filesystem::file_size(file), '\0');
        in.read(content.data(), static_cast<std::streamsize>(content.size()));
        bytes += content.size();
    }
    return bytes;
}

// `vantrel plot`'s work: load, merge, draw the series as PNG bytes.
bool Plot(const std::vector<std::filesystem::path>& files, int series) {
    LoadedHistory loaded = LoadSiteHistory(files);
    if (!loaded.history || series >= static_cast<int>(loaded.history->Series().size())) {
        return false;
    }
    const ProfileSeries drawn =
        BuildHistorySeries(*loaded.history, series, ExportFormat::Calibrated);
    return !chart::RenderHistoryImage(*loaded.history, drawn, QSize(1200, 700),
                                      chart::ImageKind::Png)
                .isEmpty();
}

// The plot's work in stages, each timed on its own (processor milliseconds: steadier than
// the wall time on a busy machine), medians of `runs`.
int PrintStages(const std::vector<std::filesystem::path>& files, int series, int runs) {
    const char* names[] = {"load",   "merge", "series",  "points", "marks",
                           "layout", "draw",  "palette", "png"};
    std::vector<std::vector<double>> stages(std::size(names));
    for (int run = 0; run < runs; ++run) {
        std::size_t stage = 0;
        double start = CpuMs();
        const auto lap = [&] {
            const double now = CpuMs();
            stages[stage++].push_back(now - start);
            start = now;
        };
        std::vector<HistoryBackup> backups;
        for (const auto& file : files) {
            LoadedBackup loaded = LoadBackup(file);
            if (!loaded.archive) return 1;
            backups.push_back({file.stem().string(), std::move(*loaded.archive), file});
        }
        lap();
        const SiteHistory history(std::move(backups));
        lap();
        if (series >= static_cast<int>(history.Series().size())) return 1;
        const ProfileSeries drawn = BuildHistorySeries(history, series, ExportFormat::Calibrated);
        lap();
        chart::ReadingsChart chart(drawn, chart::HistoryChartTitle(history, drawn),
                                   QGuiApplication::font());
        lap();
        chart.SetMarks(chart::BackupMarks(history, series));
        lap();
        chart.SetSize(QSizeF(1200, 700));
        chart.Reset();
        lap();
        const QImage image = chart::RenderChart(chart);
        lap();
        const QImage indexed = chart::ToPalette(image, chart.Palette());
        lap();
        if (chart::EncodePng(indexed).isEmpty()) return 1;
        lap();
    }
    std::printf("The plot of series %d in stages, medians of %d runs (processor ms):\n", series + 1,
                runs);
    double total = 0.0;
    for (std::size_t i = 0; i < stages.size(); ++i) {
        const double median = Median(stages[i]);
        total += median;
        std::printf("  %-8s %6.2f\n", names[i], median);
    }
    std::printf("  %-8s %6.2f\n", "total", total);
    return 0;
}

struct Times {
    double wall = -1.0;
    double cpu = -1.0;
};

// View Readings on all the files: from loading to the first paint of the chart; the window
// is closed again; `shot`, when not empty, gets a picture of it as painted. One file opens
// the window of one backup (its first profile), as View Readings on one row does.
Times OpenWindow(CMainSheet& sheet, const std::vector<std::filesystem::path>& files, int series,
                 const QString& shot) {
    QElapsedTimer timer;
    timer.start();
    const double cpu = CpuMs();
    CReadingsWindow* window = nullptr;
    if (files.size() == 1) {
        const LoadedBackup one = LoadBackup(files.front());
        window = CReadingsWindow::ShowForBackup(sheet, &sheet, *one.archive, "one", 0);
    } else {
        LoadedHistory loaded = LoadSiteHistory(files);
        window = CReadingsWindow::ShowForBackups(sheet, &sheet, std::move(*loaded.history), series);
    }
    QWidget* painted =
        window->Series().IsEmpty() ? static_cast<QWidget*>(window) : window->ChartView();
    Times times;
    QEventLoop loop;
    AtFirstPaint done(painted, [&] {
        times = {Ms(timer), CpuMs() - cpu};
        if (!shot.isEmpty()) window->grab().save(shot, "PNG");
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    window->close();
    QApplication::processEvents();
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 4) {
        std::fputs(
            "Usage: history_window SERIES BACKUP.vbk... [--runs N] [--shot FILE.png] [--stages]\n",
            stderr);
        return 2;
    }
    const int series = std::atoi(argv[1]) - 1;
    std::vector<std::filesystem::path> files;
    QString shot;
    int runs = 7;
    bool stages = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--shot") == 0 && i + 1 < argc) {
            shot = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--stages") == 0) {
            stages = true;
        } else {
            files.emplace_back(argv[i]);
        }
    }
    if (stages) return PrintStages(files, series, runs);
    MemorySettings settings;
    FixedSpecialFolders folders;
    CMainSheet sheet(CMainSheet::Environment{settings, folders});
    const double startMiB = PeakMiB();

    // One of each per round, so that all three meet the same load of the machine.
    std::vector<double> bytesMs, plotMs, windowMs, bytesCpu, plotCpu, windowCpu, oneMs, oneCpu;
    std::size_t bytes = 0;
    double bytesMiB = 0.0;
    double windowMiB = 0.0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        double cpu = CpuMs();
        bytes = ReadBytes(files);
        bytesMs.push_back(Ms(timer));
        bytesCpu.push_back(CpuMs() - cpu);
        if (run == 0) bytesMiB = PeakMiB();
        // The first window before any plot: its memory is the window's alone.
        const Times window = OpenWindow(sheet, files, series, run == 0 ? shot : QString());
        if (window.wall < 0 || series < 0) {
            std::fputs("history_window: no such series, or no paint within 30 s\n", stderr);
            return 1;
        }
        windowMs.push_back(window.wall);
        windowCpu.push_back(window.cpu);
        if (run == 0) windowMiB = PeakMiB();
        const Times one = OpenWindow(sheet, {files.front()}, 0, {});
        oneMs.push_back(one.wall);
        oneCpu.push_back(one.cpu);
        timer.restart();
        cpu = CpuMs();
        if (!Plot(files, series)) return 1;
        plotMs.push_back(Ms(timer));
        plotCpu.push_back(CpuMs() - cpu);
    }
    const double b = Median(bytesMs), w = Median(windowMs), p = Median(plotMs);
    const double bc = Median(bytesCpu), wc = Median(windowCpu), pc = Median(plotCpu);
    std::printf(
        "%zu backups, %.1f MiB, series %d; medians of %d runs (wall, processor):\n"
        "  bytes   %6.2f ms  %6.2f ms\n"
        "  window  %6.2f ms  %6.2f ms   %.2fx  %.2fx the bytes\n"
        "  plot    %6.2f ms  %6.2f ms   %.2fx  %.2fx the bytes\n"
        "  the window of the first backup alone, for comparison: %.2f ms  %.2f ms\n"
        "  peak RSS %.1f MiB at start, %.1f after the bytes, %.1f with the window open\n",
        files.size(), static_cast<double>(bytes) / 1048576.0, series + 1, runs, b, bc, w, wc, w / b,
        wc / bc, p, pc, p / b, pc / bc, Median(oneMs), Median(oneCpu), startMiB, bytesMiB,
        windowMiB);
    return 0;
}
