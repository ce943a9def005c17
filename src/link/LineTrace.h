// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A line trace: every byte sent and received, with the time, in a text form a person can
// read and a test can replay. One line per direction change or per frame end:
//   "+0.123 > @m0001;eF2\00"      (sent)
//   "+0.150 < @s0001;\06" "4B\00" (received)
// Printable ASCII is written as is, a backslash as "\\", every other byte as "\xx" (hex).

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace vantrel {

class LineTrace {
public:
    // Opens `path` for writing; check IsOpen(). `onFailure` is told, once, when a write
    // fails later (a full disk); the trace stops there.
    LineTrace(const std::string& path, const IClock& clock,
              std::function<void(const std::string& reason)> onFailure = {});
    ~LineTrace();
    LineTrace(const LineTrace&) = delete;
    LineTrace& operator=(const LineTrace&) = delete;

    bool IsOpen() const { return out_.is_open() && !failed_; }

    // A whole request as written, NUL included.
    void Sent(std::string_view bytes);
    // One received byte.
    void Received(std::uint8_t byte);
    // Ends the current line.
    void Flush();

    // The escaped text form of one byte.
    static std::string Escape(std::uint8_t byte);

private:
    void StartLine(char direction);

    void CheckWritten();

    std::ofstream out_;
    std::function<void(const std::string&)> onFailure_;
    bool failed_ = false;
    const IClock& clock_;
    std::int64_t startMs_;
    char direction_ = 0;
};

}  // namespace vantrel
