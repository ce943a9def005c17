// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simulator's line log: one text line per frame received or sent, and per notable event.
//
//   # comment lines start with "#"
//   T+<seconds since start, 6 decimals> RX <byte count> <bytes>
//   T+<seconds> TX <byte count> <bytes>
//   T+<seconds> NOTE <text>
//
// <byte count> is the exact number of bytes on the wire, the terminating NUL included;
// <bytes> shows them with every byte outside printable ASCII (and "\") as \xNN, so the
// NUL ends each frame as \x00. RX lines are written when the frame's NUL has been read;
// TX lines when the frame's first byte is written.

#include <chrono>
#include <ostream>
#include <string>
#include <string_view>

namespace vantrel::sim {

// `bytes` with non-printable bytes and "\" written as \xNN.
std::string EscapeBytes(std::string_view bytes);

class TrafficLog {
public:
    using Clock = std::chrono::steady_clock;

    TrafficLog(std::ostream& out, Clock::time_point start);

    void Received(std::string_view bytes, Clock::time_point at);
    void Sent(std::string_view bytes, Clock::time_point at);
    void Note(std::string_view text, Clock::time_point at);

private:
    void Line(Clock::time_point at, std::string_view kind, std::string_view rest);

    std::ostream& out_;
    Clock::time_point start_;
};

}  // namespace vantrel::sim
