// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempDir.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace vantrel::testing {
namespace fs = std::filesystem;

TempDir::TempDir() {
    // A name no other test took: create_directory fails on one that is there.
    std::random_device seed;
    std::mt19937_64 numbers(seed());
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "vantrel-test-%012llx",
                      static_cast<unsigned long long>(numbers() & 0xFFFFFFFFFFFFull));
        if (fs::create_directory(base / name)) {
            path_ = base / name;
            fs::permissions(path_, fs::perms::owner_all, fs::perm_options::replace);
            return;
        }
    }
    throw std::runtime_error("no new folder under " + base.string());
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

FileMap ReadFolder(const fs::path& dir) {
    FileMap files;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream contents;
        contents << in.rdbuf();
        files[entry.path().filename().string()] = std::move(contents).str();
    }
    return files;
}

void WriteFolder(const fs::path& dir, const FileMap& files) {
    fs::create_directories(dir);
    for (const auto& [name, bytes] : files) {
        std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + (dir / name).string());
    }
}

}  // namespace vantrel::testing
