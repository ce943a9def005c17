// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole-file tests' fixture: a fresh temporary folder, and reading back what is in it.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <system_error>

#include "data/AtomicFile.h"

namespace vantrel::test {

namespace fs = std::filesystem;

class AtomicFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        do {
            folder_ = fs::temp_directory_path() / ("vantrel-atomic-" + std::to_string(random()));
        } while (!fs::create_directory(folder_));
    }
    void TearDown() override { fs::remove_all(folder_); }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::size_t EntryCount() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }

    fs::path folder_;
};

// A source that gives `pieces` pieces and then fails as a read would.
inline ByteSource FailingAfter(int pieces) {
    return [pieces](std::string& piece) mutable {
        if (pieces-- == 0) throw std::system_error(EIO, std::generic_category(), "cannot read");
        piece = "a piece of the file";
        return true;
    };
}

}  // namespace vantrel::test
