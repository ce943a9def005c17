// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TerminalText.h"

namespace vantrel::cli {
namespace {

// The length of the well-formed UTF-8 sequence at `text[at]` whose lead byte is above 0x7F,
// and its code point; 0 when the bytes there are not one.
std::size_t Utf8Sequence(std::string_view text, std::size_t at, char32_t& codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(k) & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < minimum || codePoint > 0x10FFFF || surrogate) return 0;
    return length;
}

}  // namespace

std::string PrintableText(std::string_view text, bool keepLineBreaks) {
    std::string printable;
    printable.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80) {
            const bool control = byte < 0x20 || byte == 0x7F;
            printable += control && !(keepLineBreaks && byte == '\n') ? '?' : text[at];
            ++at;
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t length = Utf8Sequence(text, at, codePoint);
        if (length == 0) {
            // Not UTF-8: an 8-bit name's letter (0xA0 and up) stays, a C1 byte does not.
            printable += byte >= 0xA0 ? text[at] : '?';
            ++at;
            continue;
        }
        if (codePoint <= 0x9F) {  // a C1 control written as UTF-8
            printable += '?';
            at += length;
            continue;
        }
        printable.append(text.substr(at, length));
        at += length;
    }
    return printable;
}

}  // namespace vantrel::cli
