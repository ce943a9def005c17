// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logger's side of the line framing: request frames in, reply frames out.
//
// Request:  "@m" + 4 hex id + ";" + body + 2 hex LRC, ended by NUL.
// Reply:    "@s" + 4 hex id + ";" + payload + 2 hex LRC, ended by NUL.
// The LRC is the two's complement of the 8-bit sum of every byte before it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::sim {

inline constexpr char kAck = '\x06';
inline constexpr char kNak = '\x15';
inline constexpr char kHoldOff = '!';

// Logger error codes carried by a NAK.
enum class LoggerError : std::uint8_t {
    InvalidArgument = 0x01,
    InvalidCommand = 0x03,
    FileError = 0x04,
    InvalidFilename = 0x05,
    InvalidHandle = 0x06,
    FileOpeningError = 0x07,
    EndOfList = 0x09,
    FileLocked = 0x0A,
};

std::uint8_t ComputeLrc(std::string_view bytes);

// Reply payloads (the part between ";" and the LRC).
std::string AckPayload();
std::string NakPayload(LoggerError code);
std::string HoldOffPayload();

// A complete reply frame for `id`, LRC and terminating NUL included.
std::string BuildReplyFrame(std::uint16_t id, std::string_view payload);

struct RequestFrame {
    std::uint16_t id = 0;
    std::string body;
};

// Checks the frame text (from "@" up to the LRC digits, without the NUL): initiator "m",
// a 4-digit hex id, ";" at offset 6, a non-empty body and a matching LRC. nullopt for a
// malformed frame or a bad LRC.
std::optional<RequestFrame> ParseRequestFrame(std::string_view frameText);

// Assembles frames from the bytes of the line the way the logger does: a frame starts at
// "@" (a second "@" restarts it), ends at NUL; bytes outside a frame are ignored and a
// frame longer than kMaxFrameBytes is dropped.
class FrameAssembler {
public:
    static constexpr std::size_t kMaxFrameBytes = 4094;

    struct Output {
        std::vector<std::string> frames;  // each frame's text from "@", without its NUL
        std::size_t ignoredBytes = 0;     // bytes outside any frame, or of dropped frames
    };

    Output Feed(std::string_view bytes);

private:
    std::string frame_;
    bool inFrame_ = false;
};

}  // namespace vantrel::sim
