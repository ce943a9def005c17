// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Hexadecimal text as the logger speaks it: upper-case digits out, either case in.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::sim {

// `value` as exactly `digits` upper-case hexadecimal digits (higher bits are dropped).
std::string ToHex(std::uint32_t value, int digits);

// Every byte of `bytes` as two upper-case hexadecimal digits.
std::string BytesToHex(std::string_view bytes);

// The number written by `text` in hexadecimal (either case); nullopt for an empty text,
// a non-digit or a value above 32 bits.
std::optional<std::uint32_t> ParseHexNumber(std::string_view text);

// The bytes written by `text` (two digits per byte, either case); nullopt when the text
// has an odd length or a non-digit.
std::optional<std::string> HexToBytes(std::string_view text);

}  // namespace vantrel::sim
