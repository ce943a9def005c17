// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/PacedLine.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vantrel::sim {

std::chrono::nanoseconds PacedLine::ByteTime(unsigned baud) {
    if (baud == 0) return std::chrono::nanoseconds{0};
    return std::chrono::nanoseconds{10'000'000'000LL / baud};
}

void PacedLine::Queue(std::string frame, Clock::time_point notBefore) {
    frames_.push_back(Frame{std::move(frame), notBefore, std::nullopt, 0, false});
}

void PacedLine::StartHead(Clock::time_point now) {
    Frame& head = frames_.front();
    if (head.start) return;
    // A frame starts when it is due and the line has finished the previous one.
    const Clock::time_point start = std::max({head.notBefore, lineFreeAt_, now});
    head.start = start;
    lineFreeAt_ = start + byteTime_ * static_cast<long long>(head.bytes.size());
}

std::size_t PacedLine::AllowedBytes(const Frame& frame, Clock::time_point now) const {
    if (!frame.start || now < *frame.start) return 0;
    if (byteTime_.count() == 0) return frame.bytes.size();
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - *frame.start);
    const auto complete = static_cast<std::size_t>(elapsed / byteTime_);
    return std::min(frame.bytes.size(), complete);
}

void PacedLine::Pump(int fd, Clock::time_point now,
                     const std::function<void(std::string_view)>& onFrameStart) {
    waitingForRoom_ = false;
    while (!frames_.empty() && frames_.front().notBefore <= now) {
        StartHead(now);
        Frame& head = frames_.front();
        const std::size_t allowed = AllowedBytes(head, now);
        if (allowed <= head.written) return;
        if (!head.announced) {
            head.announced = true;
            onFrameStart(head.bytes);
        }
        const ssize_t n = write(fd, head.bytes.data() + head.written, allowed - head.written);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                waitingForRoom_ = true;
                return;
            }
            frames_.pop_front();  // nobody is listening: the frame is lost, as on a real line
            continue;
        }
        head.written += static_cast<std::size_t>(n);
        if (head.written == head.bytes.size()) frames_.pop_front();
    }
}

std::optional<PacedLine::Clock::time_point> PacedLine::NextDue() const {
    if (frames_.empty()) return std::nullopt;
    const Frame& head = frames_.front();
    if (!head.start) return std::max(head.notBefore, lineFreeAt_);
    return *head.start + byteTime_ * static_cast<long long>(head.written + 1);
}

}  // namespace vantrel::sim
