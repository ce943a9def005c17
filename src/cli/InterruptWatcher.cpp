#include "cli/InterruptWatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <stdexcept>

namespace vantrel::cli {
namespace {

// The write end of the signal pipe; the handler may only make async-signal-safe calls.
std::atomic<int> gSignalWriteFd{-1};
int gSignalReadFd = -1;
struct sigaction gPreviousAction {};

void OnSigint(int) {
    const int saved = errno;
    const int fd = gSignalWriteFd.load();
    if (fd >= 0) {
        const char byte = 1;
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
    action.sa_handler = OnSigint;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &gPreviousAction);
    thread_ = std::thread([this] { Watch(); });
}

InterruptWatcher::~InterruptWatcher() {
    ::sigaction(SIGINT, &gPreviousAction, nullptr);
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
        while (::read(gSignalReadFd, bytes, sizeof bytes) > 0) {
            if (interrupted_.exchange(true)) {
                // The second Ctrl-C: the user will not wait for the link to wind down.
                static constexpr char kText[] = "\nvantrel: interrupted\n";
                [[maybe_unused]] const ssize_t shown =
                    ::write(STDERR_FILENO, kText, sizeof kText - 1);
                std::_Exit(130);
            }
            onInterrupt_();
        }
    }
}

}  // namespace vantrel::cli
