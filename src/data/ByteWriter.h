// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Appends the little-endian items of a backup file to a byte buffer.

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "data/DateTime.h"

namespace vantrel {

class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void U8(std::uint8_t value) { out_.push_back(value); }
    void U16(std::uint16_t value) { Little(value, 2); }
    void U32(std::uint32_t value) { Little(value, 4); }
    void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
    void F64(double value) {
        std::uint8_t bytes[8];
        std::memcpy(bytes, &value, sizeof bytes);  // little-endian host
        out_.insert(out_.end(), bytes, bytes + sizeof bytes);
    }
    void Bytes(std::string_view bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }

    // u16 below 0xFFFF; otherwise 0xFFFF and the value as u32.
    void Count(std::size_t count);
    void Date(const DateTimeValue& value) {
        I32(value.status);
        F64(value.days);
    }
    // Length prefix of 1, 3 or 7 bytes, then the bytes of the text.
    void String(std::string_view text);

    // Bytes the prefix and text of String(text) take.
    static std::size_t StringSize(std::string_view text);

private:
    void Little(std::uint32_t value, int size) {
        for (int k = 0; k < size; ++k) out_.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
    }

    std::vector<std::uint8_t>& out_;
};

}  // namespace vantrel
