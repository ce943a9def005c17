// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Request frames: "@m", a four-digit id, ";", the body and a two-digit LRC. The NUL that
// ends a frame on the wire is added by the serial port.

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// Two's complement of the 8-bit sum of the bytes.
std::uint8_t ComputeLrc(std::string_view bytes);

// The id after `id`: ids run 0001 ... 1000 (hexadecimal), then 0000, 0001, ...
std::uint16_t MessageIdAfter(std::uint16_t id);

// The whole request frame text, LRC included, NUL excluded: "@m0001;eF2" for id 1, "e".
std::string FrameRequest(std::uint16_t id, std::string_view body);

}  // namespace vantrel
