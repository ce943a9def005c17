// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-make-sample-image OUT_DIR [--profiles N] [--readings N] [--sensors N] [--seed S]
// Writes a deterministic logger image (real binary files) for demos and tests.

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "sample/SampleImage.h"
#include "sample/ToolArguments.h"

namespace {

constexpr const char* kUsage =
    "Usage: vantrel-make-sample-image OUT_DIR [--profiles N] [--readings N] [--sensors N] "
    "[--seed S]\n"
    "Writes a sample logger image: profiles PROnn.DAT00/PROnn.CFG00, both soil tables,\n"
    "QUILON.CFG00, PRODUCTS.GR and two .id files. Defaults: 4 profiles (1-99), 48 readings,\n"
    "6 sensors (1-16), seed 1.\n";

int UsageError(const std::string& message) {
    return vantrel::sample::UsageError("vantrel-make-sample-image", message, kUsage);
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::sample::SampleOptions options;
    std::string outDir;
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
        if (i + 1 >= argc) return UsageError(std::string(arg) + " needs a value");
        const std::string_view text = argv[++i];
        long long value = 0;
        bool ok = false;
        if (arg == "--profiles") {
            ok = vantrel::sample::ParseNumber(text, 1, 99, value);
            options.profiles = static_cast<int>(value);
        } else if (arg == "--readings") {
            ok = vantrel::sample::ParseNumber(text, 0, 1000000, value);
            options.readings = static_cast<int>(value);
        } else if (arg == "--sensors") {
            ok = vantrel::sample::ParseNumber(text, 1, 16, value);
            options.sensors = static_cast<int>(value);
        } else if (arg == "--seed") {
            ok = vantrel::sample::ParseNumber(text, 0, 0x7FFFFFFFFFFFFFFFll, value);
            options.seed = static_cast<std::uint64_t>(value);
        } else {
            return UsageError("unknown option " + std::string(arg));
        }
        if (!ok) return UsageError("bad value for " + std::string(arg) + ": " + std::string(text));
    }
    if (outDir.empty()) return UsageError("no output folder given");

    try {
        const auto files = vantrel::sample::MakeSampleImage(options);
        vantrel::sample::WriteImage(files, outDir);
        std::printf("Wrote %zu logger files to %s\n", files.size(), outDir.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantrel-make-sample-image: %s\n", error.what());
        return 1;
    }
    return 0;
}
