// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A realistic, deterministic logger image: profiles with plausible readings, both soil
// tables, the device configuration, PRODUCTS.GR and a couple of ID files.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vantrel::sample {

struct SampleOptions {
    int profiles = 4;        // 1 to 99
    int readings = 48;       // per profile, 0 or more
    int sensors = 6;         // 1 to 16
    std::uint64_t seed = 1;  // the same seed gives the same bytes
};

struct LoggerFile {
    std::string name;
    std::string bytes;  // binary content
};

// The image's files in the order a logger would list them.
std::vector<LoggerFile> MakeSampleImage(const SampleOptions& options);

// Writes every file into `folder` (created when missing). Throws std::system_error.
void WriteImage(const std::vector<LoggerFile>& files, const std::filesystem::path& folder);

}  // namespace vantrel::sample
