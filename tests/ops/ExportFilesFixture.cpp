// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/ExportFilesFixture.h"

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace vantrel::test {

namespace fs = std::filesystem;

namespace {

// Where two racing exports meet. The first, once it has read the file with its lock held,
// waits there until the second has come to its own lock and then either must wait for the
// first's lock (it locks the same folder) or has read the file too (it locked another one):
// so the second always comes while the first is between its read and its write.
class Meeting {
public:
    void FirstLocks(const fs::path& file) { firstLock_ = file; }
    void FirstInside() {
        std::unique_lock lock(mutex_);
        firstInside_ = true;
        changed_.notify_all();
        met_ = changed_.wait_for(lock, kGiveUp, [this] {
            return secondLock_ && (SameFolder(firstLock_, *secondLock_) || secondInside_);
        });
    }
    // The second export starts only once the first holds its lock.
    bool WaitForFirstInside() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kGiveUp, [this] { return firstInside_; });
    }
    void SecondLocks(const fs::path& file) {
        Set([&] { secondLock_ = file; });
    }
    void SecondInside() {
        Set([&] { secondInside_ = true; });
    }
    bool Met() const { return met_; }

private:
    static constexpr auto kGiveUp = std::chrono::seconds(60);  // a broken export, not a race
    static bool SameFolder(const fs::path& a, const fs::path& b) {
        std::error_code error;
        return fs::equivalent(a.parent_path(), b.parent_path(), error);
    }
    void Set(const std::function<void()>& change) {
        std::lock_guard lock(mutex_);
        change();
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    fs::path firstLock_;
    bool firstInside_ = false;
    std::optional<fs::path> secondLock_;
    bool secondInside_ = false;
    bool met_ = false;
};

}  // namespace

size_t ExportFilesTest::GrowWithAHole(std::uintmax_t size, std::string& text) {
    ExportProfiles(MakeArchive({Profile("03", 0, 2000)}), {0}, ExportFormat::Calibrated,
                   exportFile);  // some 90 kB of readings
    text = ReadBytes(FileOf(3));
    size_t split = text.find("05 Mar 2009 14:30:00");
    EXPECT_NE(split, std::string::npos);
    for (int line = 0; line < 20; ++line) split = text.find('\n', split) + 1;
    // A sparse file's hole: never written, read as NUL bytes.
    WriteBytes(FileOf(3), text.substr(0, split));
    fs::resize_file(FileOf(3), size - (text.size() - split));
    std::ofstream(FileOf(3), std::ios::binary | std::ios::app) << text.substr(split);
    EXPECT_EQ(fs::file_size(FileOf(3)), size);
    return split;
}

ExportObserver ExportFilesTest::FailingAtPiece(int piece, std::function<void()> fail) {
    ExportObserver observer;
    observer.copying = [piece, fail = std::move(fail), pieces = 0]() mutable {
        if (++pieces == piece) fail();
    };
    return observer;
}

// `target` holds the first readings, then two later backups append to it at once, one
// through `exportFile`, the other through `otherExportFile`, each of them first once. The
// one that writes second must see what the first added.
void ExportFilesTest::ExpectRacingAppendsLoseNothing(const std::string& otherExportFile,
                                                     const std::string& target) {
    const CVantrelArchive first = MakeArchive({Profile("03", 0, 5)});
    const CVantrelArchive shorter = MakeArchive({Profile("03", 0, 300)});
    const CVantrelArchive longer = MakeArchive({Profile("03", 0, 600)});
    const fs::path whole = folder.path() / "whole";
    fs::create_directories(whole);
    ExportProfiles(longer, {0}, ExportFormat::Calibrated, (whole / "North.csv").string());
    const std::string expected = ReadBytes(ProfileFileName((whole / "North.csv").string(), 3));

    for (const bool throughExportFileFirst : {true, false}) {
        SCOPED_TRACE(throughExportFileFirst ? exportFile + " first" : otherExportFile + " first");
        fs::remove(target);
        ExportProfiles(first, {0}, ExportFormat::Calibrated, otherExportFile);
        Meeting meeting;
        ExportObserver firstOne, secondOne;
        firstOne.locking = [&](const fs::path& file) { meeting.FirstLocks(file); };
        firstOne.examined = [&] { meeting.FirstInside(); };
        secondOne.locking = [&](const fs::path& file) { meeting.SecondLocks(file); };
        secondOne.examined = [&] { meeting.SecondInside(); };
        const std::string& firstFile = throughExportFileFirst ? exportFile : otherExportFile;
        const std::string& secondFile = throughExportFileFirst ? otherExportFile : exportFile;
        std::thread one(
            [&] { ExportProfiles(shorter, {0}, ExportFormat::Calibrated, firstFile, firstOne); });
        bool firstCame = false;
        std::thread two([&] {
            firstCame = meeting.WaitForFirstInside();
            ExportProfiles(longer, {0}, ExportFormat::Calibrated, secondFile, secondOne);
        });
        one.join();
        two.join();
        ASSERT_TRUE(firstCame && meeting.Met()) << "the exports never met";
        ASSERT_TRUE(ReadBytes(target) == expected) << "readings were lost or doubled";
    }
}

}  // namespace vantrel::test
