// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Frame.h"

#include "base/StringPrintf.h"

namespace vantrel {

std::uint8_t ComputeLrc(std::string_view bytes) {
    unsigned sum = 0;
    for (const char c : bytes) sum += static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>((256 - (sum & 0xFF)) & 0xFF);
}

std::uint16_t MessageIdAfter(std::uint16_t id) {
    // 0x1000 itself is used; only the value after it wraps to 0.
    const unsigned next = id + 1u;
    return next > 0x1000 ? 0 : static_cast<std::uint16_t>(next);
}

std::string FrameRequest(std::uint16_t id, std::string_view body) {
    std::string frame = StringPrintf("@m%04X;", static_cast<unsigned>(id));
    frame.append(body);
    frame += StringPrintf("%2.2X", static_cast<unsigned>(ComputeLrc(frame)));
    return frame;
}

}  // namespace vantrel
