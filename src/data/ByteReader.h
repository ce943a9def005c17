// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads the little-endian items of a backup file from a byte span. Every read checks the
// bytes left first, and a length or count is checked against the bytes left before
// anything is allocated for it, so a corrupt file fails with ArchiveError::EndOfFile.

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "data/DateTime.h"
#include "data/VantrelArchive.h"

namespace vantrel {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return bytes_.size() - pos_; }

    // Throws EndOfFile unless `count` items of at least `minBytes` each can still follow.
    void Need(std::uint64_t count, std::uint64_t minBytes = 1) const {
        if (minBytes != 0 && count > Remaining() / minBytes) ThrowEndOfFile();
    }

    std::uint8_t U8() { return static_cast<std::uint8_t>(Little(1)); }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Little(2)); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(Little(4)); }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    double F64() {
        Need(8);
        double value;
        std::memcpy(&value, bytes_.data() + pos_, sizeof value);  // little-endian host
        pos_ += 8;
        return value;
    }

    std::string_view Bytes(std::size_t count) {
        Need(count);
        const char* start = reinterpret_cast<const char*>(bytes_.data() + pos_);
        pos_ += count;
        return {start, count};
    }

    // u16, or 0xFFFF followed by the value as u32.
    std::uint32_t Count() {
        const std::uint16_t shortCount = U16();
        return shortCount != 0xFFFF ? shortCount : U32();
    }

    DateTimeValue Date() {
        DateTimeValue value;
        value.status = I32();
        value.days = F64();
        return value;
    }

    std::string String();

    [[noreturn]] void ThrowEndOfFile() const;

private:
    std::uint64_t Little(std::size_t size) {
        Need(size);
        std::uint64_t value = 0;
        for (std::size_t k = size; k-- > 0;) value = (value << 8) | bytes_[pos_ + k];
        pos_ += size;
        return value;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

}  // namespace vantrel
