// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimServer.h"

#include "sim/SimOptions.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <string>

namespace vantrel::sim {
namespace {

// While no program has the port open the line reports a hang-up at once; wait this long
// before looking again instead of spinning.
constexpr auto kHangUpBackOff = std::chrono::milliseconds{10};
constexpr auto kPacingGranularity = std::chrono::milliseconds{1};

timespec ToTimespec(std::chrono::nanoseconds span) {
    span = std::max(span, std::chrono::nanoseconds{0});
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span);
    return timespec{static_cast<time_t>(seconds.count()),
                    static_cast<long>((span - seconds).count())};
}

}  // namespace

SimServer::SimServer(LoggerEngine& engine, int lineFd, int stopFd, std::uint32_t baud,
                     TrafficLog* log, bool strictBaud)
    : engine_(engine),
      lineFd_(lineFd),
      stopFd_(stopFd),
      byteTime_(PacedLine::ByteTime(baud)),
      line_(byteTime_),
      log_(log),
      baud_(baud),
      strictBaud_(strictBaud),
      lastActivity_(Clock::now()) {}

std::uint32_t SimServer::ProgramRate() const {
    // The master side of a pseudo-terminal reports the line settings of the slave side,
    // which the program under test sets like a serial port's.
    termios settings{};
    if (tcgetattr(lineFd_, &settings) != 0) return 0;
    return RateOfSpeed(static_cast<unsigned>(cfgetospeed(&settings)));
}

void SimServer::Run(std::chrono::seconds idleLimit) {
    bool hungUp = false;
    for (;;) {
        Clock::time_point now = Clock::now();
        line_.Pump(lineFd_, now, [&](std::string_view frame) {
            if (log_) log_->Sent(frame, Clock::now());
        });

        // Wake for the next paced byte, the end of a hang-up back-off, or the idle limit.
        // (When the line is full, POLLOUT wakes us instead.) On a paced line, let a few bytes
        // gather rather than waking for every one, as a UART's FIFO delivers small bursts.
        auto wake = Clock::time_point::max();
        if (const auto due = line_.NextDue(); due && !line_.WaitingForRoom()) {
            wake = byteTime_.count() > 0 ? std::max(*due, now + kPacingGranularity) : *due;
        }
        if (hungUp) wake = std::min(wake, now + kHangUpBackOff);
        if (idleLimit.count() > 0) wake = std::min(wake, lastActivity_ + idleLimit);

        std::array<pollfd, 2> fds{pollfd{stopFd_, POLLIN, 0}, pollfd{lineFd_, 0, 0}};
        if (!hungUp) fds[1].events = POLLIN;
        if (line_.WaitingForRoom()) fds[1].events |= POLLOUT;
        const nfds_t count = fds[1].events != 0 ? 2 : 1;
        timespec timeout{};
        const bool bounded = wake != Clock::time_point::max();
        if (bounded) timeout = ToTimespec(wake - now);
        const int ready = ppoll(fds.data(), count, bounded ? &timeout : nullptr, nullptr);
        if (ready < 0 && errno != EINTR) return;
        if (fds[0].revents != 0) return;
        now = Clock::now();
        if (idleLimit.count() > 0 && now - lastActivity_ >= idleLimit) return;
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            hungUp = !ReadLine(now);
        } else if (hungUp) {
            hungUp = false;  // back-off over: look at the line again
        }
    }
}

bool SimServer::ReadLine(Clock::time_point now) {
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t n = read(lineFd_, buffer.data(), buffer.size());
        if (n > 0) {
            Accept(std::string_view(buffer.data(), static_cast<std::size_t>(n)), now);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        return false;  // EIO / end: no program has the port open
    }
}

void SimServer::Accept(std::string_view bytes, Clock::time_point now) {
    lastActivity_ = now;
    if (strictBaud_) {
        if (const std::uint32_t rate = ProgramRate(); rate != baud_) {
            // A UART at the wrong rate sees framing errors and stray bytes, never a frame.
            if (log_) {
                log_->Note("garbage: " + std::to_string(bytes.size()) + " bytes sent at " +
                               (rate == 0 ? std::string("an unknown rate") : std::to_string(rate)) +
                               " baud, not " + std::to_string(baud_),
                           now);
            }
            return;
        }
    }
    // On a paced line these bytes could not have arrived faster than the baud rate allows:
    // the logger acts on a request only when its last byte would have been received.
    receivedUntil_ =
        std::max(receivedUntil_, now) + byteTime_ * static_cast<long long>(bytes.size());
    LoggerEngine::Output output = engine_.Receive(bytes);
    if (log_ && output.ignoredBytes > 0) {
        log_->Note("ignored " + std::to_string(output.ignoredBytes) + " bytes outside frames", now);
    }
    for (Exchange& exchange : output.exchanges) {
        if (log_) {
            log_->Received(exchange.request, now);
            if (!exchange.note.empty()) log_->Note(exchange.note, now);
        }
        for (TimedReply& reply : exchange.replies) {
            line_.Queue(std::move(reply.bytes), receivedUntil_ + reply.delay);
        }
    }
}

}  // namespace vantrel::sim
