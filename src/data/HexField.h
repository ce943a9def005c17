// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fields of a logger file held as hex text (two digits per byte, either letter case),
// read in place, big-endian. A field that is cut off by the end of the text or holds a
// character that is no hexadecimal digit reads as 0: decoding never looks outside the
// text and never fails.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vantrel {

namespace hexdetail {
// Digit value of each character; 0xFF marks a character that is not a hex digit.
struct DigitTable {
    std::uint8_t value[256];
    constexpr DigitTable() : value() {
        for (int c = 0; c < 256; ++c) value[c] = 0xFF;
        for (int c = '0'; c <= '9'; ++c) value[c] = static_cast<std::uint8_t>(c - '0');
        for (int c = 'a'; c <= 'f'; ++c) value[c] = static_cast<std::uint8_t>(c - 'a' + 10);
        for (int c = 'A'; c <= 'F'; ++c) value[c] = static_cast<std::uint8_t>(c - 'A' + 10);
    }
};
inline constexpr DigitTable kDigits{};
}  // namespace hexdetail

// The `byteCount`-byte (1 to 4) big-endian field at byte `byteOffset` of the hex text.
inline std::uint32_t HexField(std::string_view hex, std::size_t byteOffset, std::size_t byteCount) {
    const std::size_t first = byteOffset * 2;
    const std::size_t digits = byteCount * 2;
    if (byteOffset > hex.size() / 2 || hex.size() - first < digits) return 0;
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < digits; ++k) {
        const std::uint8_t d = hexdetail::kDigits.value[static_cast<unsigned char>(hex[first + k])];
        if (d == 0xFF) return 0;
        value = (value << 4) | d;
    }
    return value;
}

inline std::uint8_t HexByte(std::string_view hex, std::size_t byteOffset) {
    return static_cast<std::uint8_t>(HexField(hex, byteOffset, 1));
}

inline std::uint16_t HexU16(std::string_view hex, std::size_t byteOffset) {
    return static_cast<std::uint16_t>(HexField(hex, byteOffset, 2));
}

inline std::int32_t HexI32(std::string_view hex, std::size_t byteOffset) {
    return static_cast<std::int32_t>(HexField(hex, byteOffset, 4));
}

// A single-precision float given by its bit pattern; 0.0f when the field is absent or bad.
inline float HexFloat(std::string_view hex, std::size_t byteOffset) {
    return std::bit_cast<float>(HexField(hex, byteOffset, 4));
}

}  // namespace vantrel
