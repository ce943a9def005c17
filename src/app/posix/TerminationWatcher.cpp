// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frame/TerminationWatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <iterator>
#include <stdexcept>

namespace vantrel::app {
namespace {

constexpr int kWatchedSignals[] = {SIGTERM, SIGHUP, SIGINT};
struct sigaction gPreviousActions[std::size(kWatchedSignals)]{};
int gPipe[2] = {-1, -1};
// The first signal; the handler reads and writes it, so it must be lock-free.
std::atomic<int> gFirstSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void OnSignal(int signal) {
    const int saved = errno;
    int first = 0;
    if (!gFirstSignal.compare_exchange_strong(first, signal)) {
        static constexpr char kText[] = "\nvantrel-utilities: ended at once (second signal)\n";
        [[maybe_unused]] const ssize_t shown = ::write(STDERR_FILENO, kText, sizeof kText - 1);
        ::_exit(128 + first);
    }
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

TerminationWatcher::TerminationWatcher(std::function<void(int)> onRequest,
                                       std::function<void()> onSessionEnd, QObject* parent)
    : QObject(parent), onRequest_(std::move(onRequest)), onSessionEnd_(std::move(onSessionEnd)) {
    if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("no pipe for the termination signals");
    }
    gFirstSignal = 0;
    notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationWatcher::OnReadable);

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kWatchedSignals); ++i) {
        ::sigaction(kWatchedSignals[i], &action, &gPreviousActions[i]);
    }
}

TerminationWatcher::~TerminationWatcher() {
    for (std::size_t i = 0; i < std::size(kWatchedSignals); ++i) {
        ::sigaction(kWatchedSignals[i], &gPreviousActions[i], nullptr);
    }
    delete notifier_;
    ::close(gPipe[0]);
    ::close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

int TerminationWatcher::Signal() const {
    return gFirstSignal.load();
}

void TerminationWatcher::OnReadable() {
    char bytes[16];
    ssize_t count = 0;
    while ((count = ::read(gPipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i) onRequest_(bytes[i]);
    }
}

}  // namespace vantrel::app
