// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LineTrace.h"

#include <cerrno>
#include <cstring>

#include "base/StringPrintf.h"

namespace vantrel {

LineTrace::LineTrace(const std::string& path, const IClock& clock,
                     std::function<void(const std::string&)> onFailure)
    : out_(path, std::ios::out | std::ios::trunc | std::ios::binary),
      onFailure_(std::move(onFailure)),
      clock_(clock),
      startMs_(clock.TickMilliseconds()) {}

LineTrace::~LineTrace() {
    Flush();
}

std::string LineTrace::Escape(std::uint8_t byte) {
    if (byte == '\\') return "\\\\";
    if (byte >= 0x20 && byte < 0x7F) return std::string(1, static_cast<char>(byte));
    return StringPrintf("\\%02X", static_cast<unsigned>(byte));
}

void LineTrace::StartLine(char direction) {
    if (direction_ == direction) return;
    Flush();
    const std::int64_t ms = clock_.TickMilliseconds() - startMs_;
    out_ << StringPrintf("+%lld.%03lld %c ", static_cast<long long>(ms / 1000),
                         static_cast<long long>(ms % 1000), direction);
    direction_ = direction;
}

void LineTrace::Sent(std::string_view bytes) {
    if (!IsOpen()) return;
    StartLine('>');
    for (const char c : bytes) out_ << Escape(static_cast<std::uint8_t>(c));
    Flush();
}

void LineTrace::Received(std::uint8_t byte) {
    if (!IsOpen()) return;
    StartLine('<');
    out_ << Escape(byte);
    if (byte == 0) Flush();
}

void LineTrace::Flush() {
    if (!IsOpen() || direction_ == 0) return;
    out_ << '\n';
    out_.flush();
    direction_ = 0;
    CheckWritten();
}

void LineTrace::CheckWritten() {
    if (out_.good() || failed_) return;
    failed_ = true;
    if (onFailure_) onFailure_(std::strerror(errno != 0 ? errno : EIO));
}

}  // namespace vantrel
