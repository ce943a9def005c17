// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A private folder for the targets that go through files, made once per process and removed
// when it ends. It lies in /dev/shm when that is there: on a disk file system every rewrite
// of a file waits for the disk, and the fuzzer would run a hundred times slower.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace vantrel::fuzz {

inline const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::path base = fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0
                                  ? fs::path("/dev/shm")
                                  : fs::temp_directory_path();
        std::string name = (base / "vantrel-fuzz-XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr) std::abort();
        static const std::string removeAtExit = name;
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(removeAtExit, ignored);
        });
        return fs::path(name);
    }();
    return folder;
}

}  // namespace vantrel::fuzz
