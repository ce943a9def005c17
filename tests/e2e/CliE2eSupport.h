// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the end-to-end tests of the `vantrel` tool against vantrel-logger-sim: a
// sample logger image with its packed backup, the tool run with settings of its own, and
// comparing backups but for the day they were taken.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/SimulatorProcess.h"

namespace vantrel::e2e {

namespace fs = std::filesystem;

// A work folder with an image made by vantrel-make-sample-image, the backup that
// vantrel-pack-image makes of it, a settings folder and a backup folder.
class CliWorkspace {
public:
    // `imageArgs`: options of vantrel-make-sample-image (size of the image).
    explicit CliWorkspace(const std::vector<std::string>& imageArgs);

    const fs::path& root() const { return dir_.path(); }
    fs::path Image() const { return root() / "image"; }
    fs::path PackedBackup() const { return root() / "packed.vbk"; }
    fs::path Backups() const { return root() / "backups"; }

    // The tool's options for this workspace: its settings, no terminal, run in root().
    test::ProcessOptions ToolOptions() const;
    // Runs `vantrel args... --port LINK --folder Backups()` (`link` empty: no --port; the
    // logger commands get no --folder).
    test::ProcessResult Vantrel(std::vector<std::string> args, const std::string& link,
                                std::chrono::milliseconds timeout = std::chrono::seconds{
                                    120}) const;
    std::vector<std::string> WithLink(std::vector<std::string> args, const std::string& link) const;

    // Every entry of the backup folder, hidden ones included.
    std::vector<std::string> BackupFolderEntries() const;

private:
    testing::TempDir dir_;
};

// A test suite sharing one workspace, made once from `Suite::ImageArgs()`, with an empty
// backup folder for every test.
template <typename Suite>
class CliWorkspaceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { workspace_ = new CliWorkspace(Suite::ImageArgs()); }
    static void TearDownTestSuite() {
        delete workspace_;
        workspace_ = nullptr;
    }
    void SetUp() override {
        fs::remove_all(ws().Backups());
        fs::create_directories(ws().Backups());
    }
    static CliWorkspace& ws() { return *workspace_; }

private:
    static inline CliWorkspace* workspace_ = nullptr;
};

// Empty when the two backups hold the same bytes but for the backup date (the twelve
// bytes of m_dtBackup); otherwise what differs.
std::string DifferenceButForTheDate(const fs::path& a, const fs::path& b);

std::string ReadBytes(const fs::path& path);

// Hidden or temporary entries of a folder: what a killed writer may have left.
std::vector<std::string> LeftoversIn(const fs::path& folder);

}  // namespace vantrel::e2e
