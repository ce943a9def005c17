// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Splits one fuzz input into the pieces a target needs: single bytes, length-prefixed
// sections and the rest. Reading past the end gives zeros and empty pieces, so every input,
// however short, is a valid script.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : text_(reinterpret_cast<const char*>(data), size) {}

    bool Empty() const { return text_.empty(); }
    std::size_t Remaining() const { return text_.size(); }

    std::uint8_t Byte() {
        if (text_.empty()) return 0;
        const auto byte = static_cast<std::uint8_t>(text_.front());
        text_.remove_prefix(1);
        return byte;
    }

    // Little-endian, as the seeds are written.
    std::uint16_t U16() {
        const std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | (Byte() << 8));
    }

    std::uint32_t U32() {
        const std::uint32_t low = U16();
        return low | (std::uint32_t{U16()} << 16);
    }

    // Up to `count` bytes (fewer at the end of the input).
    std::string_view Bytes(std::size_t count) {
        const std::string_view piece = text_.substr(0, count);
        text_.remove_prefix(piece.size());
        return piece;
    }

    // A section: its length as a little-endian u16, then that many bytes.
    std::string_view Section() { return Bytes(U16()); }

    std::string_view Rest() { return Bytes(text_.size()); }

private:
    std::string_view text_;
};

// How a section of raw bytes becomes the hex text of a logger file.
enum class HexStyle : std::uint8_t {
    Upper = 0,     // two upper-case digits a byte, as the logger sends them
    Lower = 1,     // two lower-case digits a byte
    Verbatim = 2,  // the bytes themselves: odd lengths and characters that are no digit
    OddUpper = 3,  // upper case with the last digit cut off
};

inline std::string HexText(std::string_view bytes, std::uint8_t style) {
    const auto kind = static_cast<HexStyle>(style % 4);
    if (kind == HexStyle::Verbatim) return std::string(bytes);
    const char* digits = kind == HexStyle::Lower ? "0123456789abcdef" : "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += digits[byte >> 4];
        hex += digits[byte & 0x0F];
    }
    if (kind == HexStyle::OddUpper && !hex.empty()) hex.pop_back();
    return hex;
}

}  // namespace vantrel::fuzz
