// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/InterruptWatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <iterator>
#include <stdexcept>

namespace vantrel::cli {
namespace {

// The write end of the signal pipe; the handler may only make async-signal-safe calls.
std::atomic<int> gSignalWriteFd{-1};
int gSignalReadFd = -1;
constexpr int kWatchedSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gPreviousActions[std::size(kWatchedSignals)]{};

void OnSignal(int signal) {
    const int saved = errno;
    const int fd = gSignalWriteFd.load();
    if (fd >= 0) {
        const char byte = static_cast<char>(signal);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

void MakePipe(int fds[2]) {
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe2 failed");
}

}  // namespace

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt)
    : onInterrupt_(std::move(onInterrupt)) {
    int signalPipe[2];
    MakePipe(signalPipe);
    MakePipe(stopPipe_);
    gSignalReadFd = signalPipe[0];
    gSignalWriteFd = signalPipe[1];

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kWatchedSignals); ++i) {
        ::sigaction(kWatchedSignals[i], &action, &gPreviousActions[i]);
    }
    thread_ = std::thread([this] { Watch(); });
}

InterruptWatcher::~InterruptWatcher() {
    for (std::size_t i = 0; i < std::size(kWatchedSignals); ++i) {
        ::sigaction(kWatchedSignals[i], &gPreviousActions[i], nullptr);
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(stopPipe_[1], &byte, 1);
    thread_.join();
    const int signalWrite = gSignalWriteFd.exchange(-1);
    ::close(signalWrite);
    ::close(gSignalReadFd);
    gSignalReadFd = -1;
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
}

void InterruptWatcher::Watch() {
    pollfd fds[2] = {{gSignalReadFd, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        if (fds[0].revents == 0) continue;
        char bytes[16];
        ssize_t count = 0;
        while ((count = ::read(gSignalReadFd, bytes, sizeof bytes)) > 0) {
            for (ssize_t i = 0; i < count; ++i) {
                int first = 0;
                if (!signal_.compare_exchange_strong(first, bytes[i])) {
                    // The second signal: the user will not wait for the link to wind down.
                    static constexpr char kText[] = "\nvantrel: interrupted\n";
                    [[maybe_unused]] const ssize_t shown =
                        ::write(STDERR_FILENO, kText, sizeof kText - 1);
                    std::_Exit(128 + first);
                }
                onInterrupt_();
            }
        }
    }
}

}  // namespace vantrel::cli
