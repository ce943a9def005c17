// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sending side of the simulated serial line. Frames go out in order, each no earlier
// than its own start time; at a baud rate every byte is written only when it would have
// been completely transmitted on a real line (10 bits a byte), so the receiver sees the
// timing of a real logger. Unpaced, a due frame is written at once.

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::sim {

class PacedLine {
public:
    using Clock = std::chrono::steady_clock;

    // The time one byte takes at `baud` (10 bits: start, 8 data, stop); zero for 0 (unpaced).
    static std::chrono::nanoseconds ByteTime(unsigned baud);

    explicit PacedLine(std::chrono::nanoseconds byteTime) : byteTime_(byteTime) {}

    void Queue(std::string frame, Clock::time_point notBefore);
    bool Empty() const { return frames_.empty(); }

    // Writes every byte due by `now` to the non-blocking descriptor `fd`. `onFrameStart`
    // is called with each frame whose first byte is about to be written. A frame that the
    // descriptor refuses (no reader: the program closed the port) is dropped.
    void Pump(int fd, Clock::time_point now,
              const std::function<void(std::string_view)>& onFrameStart);

    // When Pump has more to do: the due time of the next byte, or nullopt when idle.
    std::optional<Clock::time_point> NextDue() const;
    // True when the last Pump stopped because the descriptor could take no more.
    bool WaitingForRoom() const { return waitingForRoom_; }

private:
    struct Frame {
        std::string bytes;
        Clock::time_point notBefore;
        std::optional<Clock::time_point> start;  // set when it reaches the head of the line
        std::size_t written = 0;
        bool announced = false;
    };

    void StartHead(Clock::time_point now);
    std::size_t AllowedBytes(const Frame& frame, Clock::time_point now) const;

    std::chrono::nanoseconds byteTime_;
    std::deque<Frame> frames_;
    Clock::time_point lineFreeAt_{};
    bool waitingForRoom_ = false;
};

}  // namespace vantrel::sim
