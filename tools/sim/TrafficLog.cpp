// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/TrafficLog.h"

#include <cstdio>

#include "sim/HexText.h"

namespace vantrel::sim {

std::string EscapeBytes(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + 8);
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '\\') {
            text += "\\x" + ToHex(byte, 2);
        } else {
            text += c;
        }
    }
    return text;
}

TrafficLog::TrafficLog(std::ostream& out, Clock::time_point start) : out_(out), start_(start) {
    out_ << "# vantrel-logger-sim line log\n"
            "# T+<seconds since start> RX|TX <bytes on the wire, NUL included> <bytes, \\xNN "
            "for non-printable>\n"
            "# T+<seconds since start> NOTE <event>\n";
    out_.flush();
}

void TrafficLog::Received(std::string_view bytes, Clock::time_point at) {
    Line(at, "RX", std::to_string(bytes.size()) + " " + EscapeBytes(bytes));
}

void TrafficLog::Sent(std::string_view bytes, Clock::time_point at) {
    Line(at, "TX", std::to_string(bytes.size()) + " " + EscapeBytes(bytes));
}

void TrafficLog::Note(std::string_view text, Clock::time_point at) {
    Line(at, "NOTE", text);
}

void TrafficLog::Line(Clock::time_point at, std::string_view kind, std::string_view rest) {
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(at - start_).count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "T+%lld.%06lld", static_cast<long long>(micros / 1000000),
                  static_cast<long long>(micros % 1000000));
    out_ << stamp << ' ' << kind << ' ' << rest << '\n';
    out_.flush();
}

}  // namespace vantrel::sim
