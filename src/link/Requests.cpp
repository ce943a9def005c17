// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Requests.h"

#include "base/StringPrintf.h"
#include "link/ReplyParser.h"

namespace vantrel {

bool CanCarryFileName(std::string_view name) {
    if (name.empty() || name.size() > kMaxFileNameLength) return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '"' || c == '@') return false;
    }
    return true;
}

namespace request {

std::string Connect() {
    return StringPrintf("%c", 'e');
}
std::string CloseLink() {
    return StringPrintf("%c", 'c');
}
std::string GetFileCount() {
    return StringPrintf("%c%02X", 'f', 1);
}
std::string GetFirstFileInfo() {
    return StringPrintf("%c%02X", 'f', 2);
}
std::string GetNextFileInfo() {
    return StringPrintf("%c%02X", 'f', 3);
}

std::string OpenForReading(std::string_view name) {
    return StringPrintf("%c%02X\"%.*s\"%s", 'f', 4, static_cast<int>(name.size()), name.data(),
                        "r");
}

std::string CloseHandle(int handle) {
    return StringPrintf("%c%02X%02X", 'f', 5, handle);
}

std::string ReadBlock(int handle, std::uint32_t count) {
    return StringPrintf("%c%02X%02X%04X", 'f', 6, handle, static_cast<unsigned>(count));
}

std::string CreateFile(std::string_view name) {
    return StringPrintf("%c%02X\"%.*s\"", 'f', 16, static_cast<int>(name.size()), name.data());
}

std::string WriteBlock(int handle, std::string_view hexBytes) {
    std::string body =
        StringPrintf("%c%02X%02X%04X", 'f', 9, handle, static_cast<unsigned>(hexBytes.size() / 2));
    // Requests carry upper-case digits; a backup taken from a logger that answers in lower
    // case holds lower-case text, which is sent in the form requests use.
    for (const char c : hexBytes) {
        body += (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return body;
}

std::string DeleteFile(std::string_view name) {
    return StringPrintf("%c%02X\"%.*s\"", 'f', 17, static_cast<int>(name.size()), name.data());
}

}  // namespace request

namespace reply {

namespace {
// The reply without its two LRC digits.
std::string_view Body(std::string_view reply) {
    return reply.size() >= 2 ? reply.substr(0, reply.size() - 2) : std::string_view{};
}
}  // namespace

std::optional<int> FileCount(std::string_view reply) {
    const long count = ReplyHex(Body(reply), 7, 2);
    if (count < 0) return std::nullopt;
    return static_cast<int>(count);
}

std::optional<LoggerFileEntry> FileInfo(std::string_view reply) {
    const std::string_view body = Body(reply);
    if (ReplyChar(body, 7) != '"') return std::nullopt;
    const std::size_t lastQuote = body.rfind('"');
    if (lastQuote == 7) return std::nullopt;
    LoggerFileEntry entry;
    entry.name = std::string(body.substr(8, lastQuote - 8));
    std::size_t at = lastQuote + 1;
    const auto field = [&](std::size_t digits) {
        const long value = ReplyHex(body, at, digits);
        at += digits;
        return value;
    };
    const long size = ReplyHex(body, at, 8);
    if (size < 0) return std::nullopt;
    entry.size = static_cast<std::uint32_t>(size);
    at += 8;
    // The time stamp is read but nothing relies on it; a missing one stays zero.
    const long year = field(4), month = field(2), day = field(2);
    const long hour = field(2), minute = field(2), second = field(2);
    if (year >= 0 && month >= 0 && day >= 0 && hour >= 0 && minute >= 0 && second >= 0) {
        entry.created = {static_cast<std::uint16_t>(year),  static_cast<std::uint8_t>(month),
                         static_cast<std::uint8_t>(day),    static_cast<std::uint8_t>(hour),
                         static_cast<std::uint8_t>(minute), static_cast<std::uint8_t>(second)};
    }
    return entry;
}

std::optional<int> FileHandle(std::string_view reply) {
    const std::string_view body = Body(reply);
    const char tens = ReplyChar(body, 7);
    const char units = ReplyChar(body, 8);
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (!isDigit(units)) return std::nullopt;
    // A logger may right-align a one-digit handle in its two characters (" 7").
    if (tens == ' ') return units - '0';
    if (!isDigit(tens)) return std::nullopt;
    return (tens - '0') * 10 + (units - '0');
}

std::optional<std::uint32_t> BlockCount(std::string_view reply) {
    const long count = ReplyHex(Body(reply), 7, 4);
    if (count < 0) return std::nullopt;
    return static_cast<std::uint32_t>(count);
}

std::string_view BlockData(std::string_view reply) {
    const std::string_view body = Body(reply);
    return body.size() > 11 ? body.substr(11) : std::string_view{};
}

int NakCode(std::string_view reply) {
    return static_cast<int>(ReplyHex(reply, 8, 2));
}

}  // namespace reply

}  // namespace vantrel
