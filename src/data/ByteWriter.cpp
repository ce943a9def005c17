// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/ByteWriter.h"

#include <stdexcept>

namespace vantrel {
namespace {
constexpr std::size_t kLongestText = 0xFFFFFFFE;
}

void ByteWriter::Count(std::size_t count) {
    if (count < 0xFFFF) {
        U16(static_cast<std::uint16_t>(count));
        return;
    }
    if (count > 0xFFFFFFFF) throw std::length_error("too many items for a backup file");
    U16(0xFFFF);
    U32(static_cast<std::uint32_t>(count));
}

void ByteWriter::String(std::string_view text) {
    const std::size_t length = text.size();
    if (length < 0xFF) {
        U8(static_cast<std::uint8_t>(length));
    } else if (length < 0xFFFE) {
        U8(0xFF);
        U16(static_cast<std::uint16_t>(length));
    } else if (length <= kLongestText) {
        U8(0xFF);
        U16(0xFFFF);
        U32(static_cast<std::uint32_t>(length));
    } else {
        throw std::length_error("text too long for a backup file");
    }
    Bytes(text);
}

std::size_t ByteWriter::StringSize(std::string_view text) {
    const std::size_t prefix = text.size() < 0xFF ? 1 : text.size() < 0xFFFE ? 3 : 7;
    return prefix + text.size();
}

}  // namespace vantrel
