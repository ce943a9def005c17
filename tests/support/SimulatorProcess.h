// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test helper: runs vantrel-logger-sim as a child process on a pseudo-terminal.
//
//   SimulatorProcess sim({"--image", imageDir});
//   int fd = OpenRawLine(sim.linkPath());   // or hand sim.linkPath() to the program
//   ...
//   auto files = sim.StopAndReadDump();     // SIGTERM, wait, read the --dump folder
//
// The simulator gets a private temporary folder for its link (and its dump). The child is
// killed if the test process dies (PR_SET_PDEATHSIG), stopped with SIGTERM (then SIGKILL
// after a grace time) by Stop() and by the destructor, and the link and folder are removed,
// so no process or symlink outlives a test.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace vantrel::testing {

// Opens a serial device (or link) for reading and writing in raw mode; throws on failure.
int OpenRawLine(const std::string& path);

class SimulatorProcess {
public:
    // The simulator built with this tree.
    static std::string DefaultExecutable();

    // Starts `executable` with --link and --dump in its private folder plus `extraArgs`,
    // and waits up to `readyTimeout` for its "ready <path>" line. Throws std::runtime_error
    // (after killing the child) when it does not become ready.
    explicit SimulatorProcess(std::vector<std::string> extraArgs = {},
                              std::chrono::milliseconds readyTimeout = std::chrono::seconds{10},
                              std::string executable = DefaultExecutable());
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    const std::string& linkPath() const { return linkPath_; }
    const std::filesystem::path& dumpDir() const { return dumpDir_; }
    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0; }

    // Sends SIGTERM and waits up to `grace` (then SIGKILL). Returns the exit code, or
    // 128 + signal number when it was killed by a signal. Idempotent.
    int Stop(std::chrono::milliseconds grace = std::chrono::seconds{5});

    // Stop() and the contents of the dump folder. Throws when the exit was not clean.
    FileMap StopAndReadDump();

private:
    void Kill();

    TempDir folder_;
    std::string linkPath_;
    std::filesystem::path dumpDir_;
    pid_t pid_ = -1;
    int exitCode_ = -1;
};

}  // namespace vantrel::testing
