// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-make-site-history OUT_DIR [--visits N] [--days D] [--profiles N] [--sensors N]
//                           [--seed S] [--overlap HOURS] [--lost K] [--recalibrated K]
//                           [--read-anew K]
// Writes the backups of one logger visited every D days ("Visit 01.vbk", ...), each taken at
// its visit, for tests, benchmarks and pictures of a site's history.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

#include "data/DateTime.h"
#include "data/VantrelArchive.h"
#include "ops/BackupSorting.h"
#include "sample/LoggerFileEncoding.h"
#include "sample/SiteVisits.h"
#include "sample/ToolArguments.h"

namespace {

constexpr const char* kUsage =
    "Usage: vantrel-make-site-history OUT_DIR [--visits N] [--days D] [--profiles N]\n"
    "         [--sensors N] [--seed S] [--overlap HOURS] [--lost K] [--recalibrated K]\n"
    "         [--read-anew K]\n"
    "Writes the backups \"Visit 01.vbk\", ... of one sample logger visited every D days, each\n"
    "holding the readings since the visit before. Defaults: 50 visits (1-99) every 7 days,\n"
    "4 profiles, 6 sensors, seed 1. --overlap: each backup also holds the readings of HOURS\n"
    "before the visit before; --lost: visit K's backup is missing; --recalibrated: user soil\n"
    "2 changes from visit K on; --read-anew: visit K holds the readings it shares with the\n"
    "visit before with other values.\n";

int UsageError(const std::string& message) {
    return vantrel::sample::UsageError("vantrel-make-site-history", message, kUsage);
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::sample::SiteVisitOptions options;
    std::string outDir;
    struct Option {
        std::string_view name;
        long long low, high;
        int* target;
    };
    int profiles = options.sample.profiles, sensors = options.sample.sensors, seed = 1;
    const Option known[] = {
        {"--visits", 1, 99, &options.visits},
        {"--days", 1, 366, &options.daysBetween},
        {"--profiles", 1, 99, &profiles},
        {"--sensors", 1, 16, &sensors},
        {"--seed", 0, 1000000, &seed},
        {"--overlap", 0, 24 * 366, &options.overlapHours},
        {"--lost", 1, 99, &options.lost},
        {"--recalibrated", 1, 99, &options.recalibrated},
        {"--read-anew", 1, 99, &options.readAnew},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (!arg.starts_with("--")) {
            if (!outDir.empty()) return UsageError("more than one output folder");
            outDir = arg;
            continue;
        }
        const Option* option = nullptr;
        for (const Option& candidate : known) {
            if (candidate.name == arg) option = &candidate;
        }
        if (option == nullptr) return UsageError("unknown option " + std::string(arg));
        if (i + 1 >= argc) return UsageError(std::string(arg) + " needs a value");
        const std::string_view text = argv[++i];
        long long value = 0;
        if (!vantrel::sample::ParseNumber(text, option->low, option->high, value)) {
            return UsageError("bad value for " + std::string(arg) + ": " + std::string(text));
        }
        *option->target = static_cast<int>(value);
    }
    if (outDir.empty()) return UsageError("no output folder given");
    options.sample.profiles = profiles;
    options.sample.sensors = sensors;
    options.sample.seed = static_cast<std::uint64_t>(seed);

    try {
        std::filesystem::create_directories(outDir);
        const auto visits = vantrel::sample::MakeSiteVisits(options);
        for (const vantrel::sample::SiteVisit& visit : visits) {
            std::vector<std::string> names, contents;
            for (const vantrel::sample::LoggerFile& file : visit.files) {
                names.push_back(file.name);
                contents.push_back(vantrel::sample::ToHexText(file.bytes));
            }
            vantrel::CVantrelArchive archive;
            const auto result = vantrel::SortBackupFiles(names, contents, archive,
                                                         [](std::string_view) { return false; });
            if (result != vantrel::BackupSortResult::Ok) {
                std::fprintf(stderr, "vantrel-make-site-history: %s\n",
                             std::string(vantrel::BackupSortMessage(result)).c_str());
                return 1;
            }
            archive.m_dtBackup = vantrel::FromLoggerSeconds(visit.seconds);
            archive.ScanProfiles();
            char name[32];
            std::snprintf(name, sizeof name, "Visit %02d.vbk", visit.number);
            archive.SaveToFile(std::filesystem::path(outDir) / name);
        }
        std::printf("Wrote %zu backups to %s\n", visits.size(), outDir.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantrel-make-site-history: %s\n", error.what());
        return 1;
    }
    return 0;
}
