// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/ByteReader.h"

namespace vantrel {
namespace {

// UTF-16 little-endian text to 8-bit text: characters up to 0xFF keep their value, any
// other character (a surrogate pair counting as one) becomes '?'.
std::string NarrowUtf16(std::string_view units) {
    std::string text;
    text.reserve(units.size() / 2);
    const auto unitAt = [&units](std::size_t k) {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(units[2 * k]) |
                                          static_cast<unsigned char>(units[2 * k + 1]) << 8);
    };
    const std::size_t count = units.size() / 2;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint16_t unit = unitAt(k);
        if (unit <= 0xFF) {
            text += static_cast<char>(unit);
            continue;
        }
        const bool highSurrogate = unit >= 0xD800 && unit <= 0xDBFF;
        if (highSurrogate && k + 1 < count && unitAt(k + 1) >= 0xDC00 && unitAt(k + 1) <= 0xDFFF)
            ++k;
        text += '?';
    }
    return text;
}

}  // namespace

void ByteReader::ThrowEndOfFile() const {
    throw ArchiveError(ArchiveError::Kind::EndOfFile, "the backup file ends early (at byte " +
                                                          std::to_string(bytes_.size()) + ")");
}

// A byte length below 0xFF; else 0xFF and a u16 length below 0xFFFF; else 0xFF, 0xFFFF and
// a u32 length. 0xFF 0xFFFE announces UTF-16 text whose length follows in the same form.
std::string ByteReader::String() {
    bool wide = false;
    std::uint64_t length = U8();
    if (length == 0xFF) {
        std::uint16_t word = U16();
        if (word == 0xFFFE) {
            wide = true;
            length = U8();
            word = length == 0xFF ? U16() : 0;
        }
        if (length == 0xFF) length = word != 0xFFFF ? word : U32();
    }
    if (!wide) return std::string(Bytes(static_cast<std::size_t>(length)));
    Need(length, 2);
    return NarrowUtf16(Bytes(static_cast<std::size_t>(length * 2)));
}

}  // namespace vantrel
