// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/RaceMarks.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "base/PathText.h"

namespace vantrel::race_marks {
namespace {

namespace fs = std::filesystem;

// The folder of the marks; empty outside the tests that ask for them.
const fs::path& Folder() {
    static const fs::path folder = [] {
        const char* named = std::getenv("VANTREL_TEST_RACE_FOLDER");
        return named == nullptr ? fs::path() : PathFromUtf8(named);
    }();
    return folder;
}

// Tells this process's marks from those of others.
const std::string& Token() {
    static const std::string token = [] {
        std::random_device random;
        return std::to_string(random()) + std::to_string(random());
    }();
    return token;
}

bool OthersMarked(std::string_view step) {
    const std::string prefix = std::string(step) + ".";
    const std::string own = prefix + Token() + ".";
    std::error_code error;
    for (fs::directory_iterator it(Folder(), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = Utf8FromPath(it->path().filename());
        if (name.starts_with(prefix) && !name.starts_with(own)) return true;
    }
    return false;
}

}  // namespace

void Mark(std::string_view step) {
    if (Folder().empty()) return;
    static std::atomic<int> count{0};
    std::ofstream(Folder() /
                  PathFromUtf8(std::string(step) + "." + Token() + "." + std::to_string(++count)));
}

void MeetAt(std::string_view step, std::initializer_list<std::string_view> awaited) {
    if (Folder().empty()) return;
    Mark(step);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < giveUp) {
        for (std::string_view other : awaited) {
            if (OthersMarked(other)) return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace vantrel::race_marks
