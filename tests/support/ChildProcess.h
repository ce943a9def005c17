// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs the `vantrel` tool (or any program) as a child process for tests: with its own
// environment additions and working folder, stdin from /dev/null (so it never sees a
// terminal), stdout and stderr collected in files that can be read while it runs.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace vantrel::test {

struct ProcessOptions {
    std::vector<std::string> env;  // "NAME=VALUE", added to (or replacing in) this environment
    std::string cwd;               // empty: this process's working folder
};

class CliProcess {
public:
    CliProcess(const std::string& program, const std::vector<std::string>& args,
               const ProcessOptions& options = {});
    ~CliProcess();  // kills the child when it still runs
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t pid() const { return pid_; }
    void Signal(int signal) const;
    // The exit code (128 + signal when killed by one), or -1 when it is still running
    // after `timeout` (the child is then left running).
    int Wait(std::chrono::milliseconds timeout);
    // What it wrote so far.
    std::string Out() const;
    std::string Err() const;
    // Polls Out() until it holds `text`; false when the child ended or `timeout` passed first.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout);

private:
    std::string outPath_;
    std::string errPath_;
    pid_t pid_ = -1;
    int exitCode_ = -1;
};

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Starts the program and waits up to `timeout` for it (then kills it; exitCode -1).
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {},
                         std::chrono::milliseconds timeout = std::chrono::seconds{60});

}  // namespace vantrel::test
