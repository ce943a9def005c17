// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ReplyParser.h"

#include <optional>

#include "link/Frame.h"

namespace vantrel {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

ReplyCheck Malformed(std::string message) {
    ReplyCheck check;
    check.status = ReplyStatus::Malformed;
    check.message = std::move(message);
    return check;
}

// The LRC, initiator, separator and id checks; an empty optional when all pass.
std::optional<ReplyCheck> CheckFrame(std::string_view reply, std::uint16_t expectedId) {
    const long lrc = reply.size() >= 2 ? ReplyHex(reply, reply.size() - 2, 2) : -1;
    const std::string_view covered = reply.substr(0, reply.size() >= 2 ? reply.size() - 2 : 0);
    if (lrc < 0 || lrc != ComputeLrc(covered)) {
        return Malformed("Invalid LRC, try lowering baud rates");
    }
    if (ReplyChar(reply, 1) != 's') return Malformed("Malformed message (Initiator not Slave)");
    if (ReplyChar(reply, 6) != ';') return Malformed("Malformed message (separator misplaced)");
    if (ReplyHex(reply, 2, 4) != expectedId) {
        return Malformed(
            "Invalid Message ID response, possibly out of sync, try lowering and matching baud "
            "rates");
    }
    return std::nullopt;
}

}  // namespace

char ReplyChar(std::string_view reply, std::size_t offset) {
    return offset < reply.size() ? reply[offset] : '\0';
}

long ReplyHex(std::string_view reply, std::size_t offset, std::size_t count) {
    if (offset > reply.size() || count > reply.size() - offset) return -1;
    long value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int digit = HexDigit(reply[offset + i]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

ReplyCheck CheckReply(std::string_view reply, std::uint16_t expectedId) {
    if (auto failed = CheckFrame(reply, expectedId)) return *failed;
    ReplyCheck check;
    const char status = ReplyChar(reply, 7);
    if (status == kAck) {
        check.accepted = true;
        check.status = ReplyStatus::Ack;
        return check;
    }
    if (status != kNak) {
        check.accepted = true;
        check.status = ReplyStatus::Data;
        return check;
    }
    check.errorCode = static_cast<int>(ReplyHex(reply, 8, 2));
    if (check.errorCode == 9) {
        check.status = ReplyStatus::EndOfList;
        return check;
    }
    check.status = ReplyStatus::Nak;
    check.message = std::string(ErrorText(check.errorCode));
    check.caption = "Vantrel NAK Error";
    return check;
}

bool AnswersId(std::string_view reply, std::uint16_t id) {
    return !CheckFrame(reply, id);
}

bool IsHoldOff(std::string_view reply, std::uint16_t expectedId) {
    return !CheckFrame(reply, expectedId) && ReplyChar(reply, 7) == kHoldOff;
}

std::string_view ErrorText(int code) {
    switch (code) {
        case 0:
            return "No Error";
        case 1:
            return "Invalid Argument";
        case 2:
            return "Communications Inactive";
        case 3:
            return "Invalid Command";
        case 4:
            return "File Error";
        case 5:
            return "Invalid Filename";
        case 6:
            return "Invalid Handle";
        case 7:
            return "File Opening Error";
        case 8:
            return "Measurement Error";
        case 9:
            return "";
        case 10:
            return "File Locked";
        default:
            return "**Unknown Error**";
    }
}

}  // namespace vantrel
