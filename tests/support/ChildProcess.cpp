// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace vantrel::test {
namespace {

std::string TempFile(const char* tag) {
    std::string pattern = std::string("/tmp/vantrel-proc-") + tag + "-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    ::close(fd);
    return pattern;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string NameOf(const std::string& assignment) {
    return assignment.substr(0, assignment.find('='));
}

std::vector<std::string> Environment(const std::vector<std::string>& additions) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const std::string& added : additions)
            replaced = replaced || NameOf(added) == NameOf(text);
        if (!replaced) env.push_back(text);
    }
    env.insert(env.end(), additions.begin(), additions.end());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

int ExitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

CliProcess::CliProcess(const std::string& program, const std::vector<std::string>& args,
                       const ProcessOptions& options)
    : outPath_(TempFile("out")), errPath_(TempFile("err")) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_TRUNC, 0);
    if (!options.cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, options.cwd.c_str());

    std::vector<std::string> argvTexts = {program};
    argvTexts.insert(argvTexts.end(), args.begin(), args.end());
    std::vector<std::string> envTexts = Environment(options.env);
    std::vector<char*> argv = Pointers(argvTexts);
    std::vector<char*> envp = Pointers(envTexts);
    const int spawned =
        ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(spawned));
    }
}

CliProcess::~CliProcess() {
    if (pid_ > 0 && exitCode_ < 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    std::remove(outPath_.c_str());
    std::remove(errPath_.c_str());
}

void CliProcess::Signal(int signal) const {
    if (exitCode_ < 0) ::kill(pid_, signal);
}

int CliProcess::Wait(std::chrono::milliseconds timeout) {
    if (exitCode_ >= 0) return exitCode_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) return exitCode_ = ExitCodeOf(status);
        if (std::chrono::steady_clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string CliProcess::Out() const {
    return Slurp(outPath_);
}
std::string CliProcess::Err() const {
    return Slurp(errPath_);
}

bool CliProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (Out().find(text) != std::string::npos) return true;
        if (Wait(std::chrono::milliseconds(0)) >= 0) return Out().find(text) != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options, std::chrono::milliseconds timeout) {
    CliProcess process(program, args, options);
    ProcessResult result;
    result.exitCode = process.Wait(timeout);
    result.out = process.Out();
    result.err = process.Err();
    return result;
}

}  // namespace vantrel::test
