// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SimulatorProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace vantrel::testing {
namespace fs = std::filesystem;
namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void ThrowErrno(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Reads from `fd` until a whole line arrived or `deadline` passed; "" on time-out or EOF.
std::string ReadLineUntil(int fd, Clock::time_point deadline) {
    std::string text;
    while (text.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return {};
        pollfd waiting{fd, POLLIN, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return {};
        char buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return {};
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text.substr(0, text.find('\n'));
}

int DecodeStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

int OpenRawLine(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) ThrowErrno("open " + path);
    termios settings{};
    if (tcgetattr(fd, &settings) == 0) {
        cfmakeraw(&settings);
        settings.c_cc[VMIN] = 1;
        settings.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &settings);
    }
    return fd;
}

std::string SimulatorProcess::DefaultExecutable() {
    return VANTREL_SIM_EXECUTABLE;
}

SimulatorProcess::SimulatorProcess(std::vector<std::string> extraArgs,
                                   std::chrono::milliseconds readyTimeout, std::string executable)
    : linkPath_((folder_.path() / "logger-link").string()), dumpDir_(folder_.path() / "dump") {
    std::vector<std::string> args = {executable, "--link", linkPath_, "--dump", dumpDir_.string()};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) ThrowErrno("pipe2");
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) {
        close(out[0]);
        close(out[1]);
        ThrowErrno("fork");
    }
    if (pid_ == 0) {
        // Child: only async-signal-safe calls until exec.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        dup2(out[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    const std::string line = ReadLineUntil(out[0], Clock::now() + readyTimeout);
    close(out[0]);
    const std::string prefix = "ready ";
    if (line.rfind(prefix, 0) != 0 || line.substr(prefix.size()) != linkPath_) {
        const int code = Stop(std::chrono::milliseconds{500});
        throw std::runtime_error("vantrel-logger-sim did not become ready (got \"" + line +
                                 "\", exit code " + std::to_string(code) + ")");
    }
}

SimulatorProcess::~SimulatorProcess() {
    Stop();
    std::error_code ignored;
    fs::remove(linkPath_, ignored);  // when the simulator could not remove it itself
}

int SimulatorProcess::Stop(std::chrono::milliseconds grace) {
    if (pid_ <= 0) return exitCode_;
    kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + grace;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            exitCode_ = DecodeStatus(status);
            pid_ = -1;
            return exitCode_;
        }
        if (done < 0 && errno != EINTR) {
            pid_ = -1;
            return exitCode_;
        }
        if (Clock::now() >= deadline) {
            Kill();
            return exitCode_;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds{10});
    }
}

void SimulatorProcess::Kill() {
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    exitCode_ = DecodeStatus(status);
    pid_ = -1;
}

FileMap SimulatorProcess::StopAndReadDump() {
    const int code = Stop();
    if (code != 0) {
        throw std::runtime_error("vantrel-logger-sim exited with code " + std::to_string(code));
    }
    return fs::exists(dumpDir_) ? ReadFolder(dumpDir_) : FileMap{};
}

}  // namespace vantrel::testing
