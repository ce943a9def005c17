// SPDX-License-Identifier: GPL-3.0-or-later
// Data layer benchmarks: loading a backup file of about 5 MB against a plain read of the
// same file, and rendering the reading lines of a large archive.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/VantrelArchive.h"

namespace {

using vantrel::CVantrelArchive;

// Hex text of `readings` 128-byte reading records with `sensors` sensors.
std::string DataText(int readings, int sensors, std::mt19937& random) {
    std::uniform_real_distribution<float> moisture(0.0f, 60.0f);
    std::uniform_int_distribution<int> raw(0, 0xFFFF);
    std::string text;
    text.reserve(static_cast<std::size_t>(readings) * 256);
    const auto put = [&text](std::uint32_t value, int bytes) {
        static const char* kDigits = "0123456789ABCDEF";
        for (int k = 2 * bytes - 1; k >= 0; --k) text += kDigits[(value >> (4 * k)) & 15];
    };
    for (int r = 0; r < readings; ++r) {
        put(0, 1);  // centimetres
        put(0, 1);
        put(0, 1);
        put(static_cast<std::uint32_t>(sensors), 1);
        put(static_cast<std::uint32_t>(600'000'000 + r * 900), 4);
        put(std::bit_cast<std::uint32_t>(0.0006f), 4);
        put(std::bit_cast<std::uint32_t>(0.00095f), 4);
        for (int s = 0; s < 16; ++s) put(static_cast<std::uint32_t>(raw(random)), 2);
        put(0, 4), put(0, 4), put(0, 4), put(0, 4);
        for (int s = 0; s < 16; ++s) put(std::bit_cast<std::uint32_t>(moisture(random)), 4);
    }
    return text;
}

CVantrelArchive MakeArchive(int profiles, int readings, int sensors) {
    std::mt19937 random(1990);
    CVantrelArchive archive;
    for (int p = 0; p < profiles; ++p) {
        archive.AddProfile(std::to_string(p + 1), DataText(readings, sensors, random),
                           std::string(64, '1'));
    }
    archive.m_strUserSoil = std::string(99 * 32, '0');
    archive.m_strOrtvelSoil = std::string(99 * 32, '0');
    archive.ScanProfiles();
    return archive;
}

// A backup file of about 5 MB, written once for the whole run.
const std::filesystem::path& BackupFile() {
    static const std::filesystem::path path = [] {
        const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                           ("vantrel-bench-" + std::to_string(::getpid()) + ".vbk");
        MakeArchive(40, 500, 16).SaveToFile(file);
        std::atexit([] { std::filesystem::remove(BackupFile()); });
        return file;
    }();
    return path;
}

std::vector<std::uint8_t> PlainRead(const std::filesystem::path& path) {
    std::vector<std::uint8_t> bytes(std::filesystem::file_size(path));
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::size_t filled = 0;
    while (fd >= 0 && filled < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (n <= 0) break;
        filled += static_cast<std::size_t>(n);
    }
    if (fd >= 0) ::close(fd);
    return bytes;
}

void BM_PlainRead(benchmark::State& state) {
    const auto& path = BackupFile();
    for (auto _ : state) benchmark::DoNotOptimize(PlainRead(path));
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

void BM_LoadFromFile(benchmark::State& state) {
    const auto& path = BackupFile();
    for (auto _ : state) benchmark::DoNotOptimize(CVantrelArchive::LoadFromFile(path));
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond);

// Both ways alternately in one loop, so the ratio is measured under the same conditions.
void BM_LoadOverPlainReadRatio(benchmark::State& state) {
    const auto& path = BackupFile();
    using Clock = std::chrono::steady_clock;
    Clock::duration readTime{}, loadTime{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(PlainRead(path));
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(CVantrelArchive::LoadFromFile(path));
        const auto t2 = Clock::now();
        readTime += t1 - t0;
        loadTime += t2 - t1;
    }
    const double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6 *
                             static_cast<double>(state.iterations());
    const auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    state.counters["read_MBps"] = megabytes / seconds(readTime);
    state.counters["load_MBps"] = megabytes / seconds(loadTime);
    state.counters["load_over_read"] = seconds(loadTime) / seconds(readTime);
}
BENCHMARK(BM_LoadOverPlainReadRatio)->Unit(benchmark::kMillisecond);

// Reading lines of 40 profiles x 2000 readings x 16 sensors; items are sensor values.
void BM_AppendReadingLines(benchmark::State& state) {
    static const CVantrelArchive archive = MakeArchive(40, 2000, 16);
    const bool scaled = state.range(0) != 0;
    std::string lines;
    for (auto _ : state) {
        for (int i = 0; i < archive.GetProfileCount(); ++i) {
            lines.clear();
            archive.AppendReadingLines(i, scaled, lines);
            benchmark::DoNotOptimize(lines.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * 40 * 2000 * 16);
    state.SetLabel(scaled ? "scaled frequency" : "calibrated");
}
BENCHMARK(BM_AppendReadingLines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
