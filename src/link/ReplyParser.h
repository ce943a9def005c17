// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Checking and classifying a reply frame ("@s", id, ";", status or data, LRC).

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

enum class ReplyStatus : int {
    Data = 0,       // any status character other than ACK and NAK
    Malformed = 1,  // bad LRC, wrong initiator, misplaced separator or wrong id
    EndOfList = 2,  // NAK with error code 9
    Ack = 6,
    Nak = 21,  // NAK with another error code
};

// The logger's error code for a file name it does not take ("Invalid Filename").
inline constexpr int kInvalidFilenameCode = 5;

inline constexpr char kAck = 0x06;
inline constexpr char kNak = 0x15;
inline constexpr char kHoldOff = '!';

struct ReplyCheck {
    bool accepted = false;  // ACK or data
    ReplyStatus status = ReplyStatus::Malformed;
    int errorCode = 0;  // NAK only
    // What to show the user when messages are wanted; empty when nothing is shown.
    std::string message;
    std::string caption;  // "Vantrel NAK Error" for a NAK, empty otherwise
};

// The reply's character at `offset`; NUL at or beyond its end, so short replies never fault.
char ReplyChar(std::string_view reply, std::size_t offset);

// Hexadecimal number of `count` characters at `offset` (either case); -1 when any character
// is no hexadecimal digit or lies beyond the end.
long ReplyHex(std::string_view reply, std::size_t offset, std::size_t count);

ReplyCheck CheckReply(std::string_view reply, std::uint16_t expectedId);

// True for a well-formed frame (LRC, initiator, separator) that answers `id`, whatever it says.
bool AnswersId(std::string_view reply, std::uint16_t id);
// True for a well-formed hold-off ("!" at offset 7) answering `expectedId`.
bool IsHoldOff(std::string_view reply, std::uint16_t expectedId);

// The logger's error-code texts ("File Locked", ...; code 9 is empty).
std::string_view ErrorText(int code);

}  // namespace vantrel
