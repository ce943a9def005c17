// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Master-side helpers for driving the simulator's engine in tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/LoggerEngine.h"

namespace vantrel::sim::test {

inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// `text` followed by its LRC digits (two's complement of the byte sum), written
// independently of the engine's code.
inline std::string WithLrc(std::string text) {
    unsigned sum = 0;
    for (char c : text) sum += static_cast<unsigned char>(c);
    const unsigned lrc = (256 - (sum & 0xFF)) & 0xFF;
    text += kHexDigits[lrc >> 4];
    text += kHexDigits[lrc & 0xF];
    return text;
}

inline std::string IdText(std::uint16_t id) {
    std::string text;
    for (int shift = 12; shift >= 0; shift -= 4) text += kHexDigits[(id >> shift) & 0xF];
    return text;
}

// The master's request frame on the wire, NUL included.
inline std::string RequestFrame(std::uint16_t id, std::string_view body) {
    return WithLrc("@m" + IdText(id) + ";" + std::string(body)) + '\0';
}

// The reply frame a logger sends for `id` with `payload`, NUL included.
inline std::string ReplyFrame(std::uint16_t id, std::string_view payload) {
    return WithLrc("@s" + IdText(id) + ";" + std::string(payload)) + '\0';
}

// The payload of a reply frame, after checking it is a well-formed reply to `id`.
inline std::string PayloadOf(const std::string& frame, std::uint16_t id) {
    EXPECT_GE(frame.size(), 11U) << frame;
    if (frame.size() < 11) return {};
    const std::string payload = frame.substr(7, frame.size() - 10);
    EXPECT_EQ(frame, ReplyFrame(id, payload));
    return payload;
}

inline std::string Nak(int code) {
    return std::string{'\x15', kHexDigits[code >> 4], kHexDigits[code & 0xF]};
}
inline const std::string kAckPayload{'\x06'};

// Sends requests with consecutive ids, as the link does.
class Master {
public:
    explicit Master(LoggerEngine& engine) : engine_(engine) {}

    // All replies to one frame (sent `repeat` times with the same id when asked).
    std::vector<TimedReply> Send(std::uint16_t id, std::string_view body) {
        auto output = engine_.Receive(RequestFrame(id, body));
        EXPECT_EQ(output.exchanges.size(), 1U);
        return output.exchanges.empty() ? std::vector<TimedReply>{}
                                        : output.exchanges.front().replies;
    }

    // One request with a new id; the payload of its single immediate reply.
    std::string Ask(std::string_view body) { return AskWithId(++lastId_, body); }

    // The same request again (a retry of the last frame).
    std::string Retry(std::string_view body) { return AskWithId(lastId_, body); }

    std::uint16_t lastId() const { return lastId_; }

private:
    std::string AskWithId(std::uint16_t id, std::string_view body) {
        const auto replies = Send(id, body);
        EXPECT_EQ(replies.size(), 1U) << body;
        if (replies.size() != 1) return {};
        EXPECT_EQ(replies[0].delay.count(), 0);
        return PayloadOf(replies[0].bytes, id);
    }

    LoggerEngine& engine_;
    std::uint16_t lastId_ = 0;
};

}  // namespace vantrel::sim::test
