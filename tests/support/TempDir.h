// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test helpers for temporary folders and their files, on every platform the tests run on
// (the simulator's child process in SimulatorProcess.h is POSIX only).

#include <filesystem>
#include <map>
#include <string>

namespace vantrel::testing {

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// File name -> contents, for images and dumps.
using FileMap = std::map<std::string, std::string>;
FileMap ReadFolder(const std::filesystem::path& dir);
void WriteFolder(const std::filesystem::path& dir, const FileMap& files);

}  // namespace vantrel::testing
