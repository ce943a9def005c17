// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Constants of the backup file layout.

#include <cstdint>
#include <string_view>

namespace vantrel::archive {

// First u16 of the current layout; values below kFirstMarker are the profile count of
// the old layout, any other value gives an empty archive.
inline constexpr std::uint32_t kLayoutMarker = 0x8001;
inline constexpr std::uint32_t kFirstMarker = 0x8000;

// Tags of the records.
inline constexpr std::uint16_t kNewClassTag = 0xFFFF;
inline constexpr std::uint16_t kBigTag = 0x7FFF;
inline constexpr std::uint16_t kClassTagBit = 0x8000;
inline constexpr std::uint32_t kBigClassTagBit = 0x80000000;
inline constexpr std::uint16_t kProfileSchema = 0x0100;
inline constexpr std::string_view kProfileClassName = "CProfileNode";
// A class name of this length or more is refused.
inline constexpr std::size_t kMaxClassNameLength = 64;
// The class reference of every record after the first: class number 1.
inline constexpr std::uint16_t kFirstClassReference = kClassTagBit | 1;

// Smallest record: a 2-byte tag and a body of 4 + 12 + 12 + 4 + 1 + 1 bytes.
inline constexpr std::size_t kMinProfileBodyBytes = 34;
inline constexpr std::size_t kMinTaggedProfileBytes = 2 + kMinProfileBodyBytes;

}  // namespace vantrel::archive
