// SPDX-License-Identifier: GPL-3.0-or-later
// The platform-free part of port naming; DevicePathOf is in posix/ and win32/DevicePath.cpp.
#include "link/PortName.h"

namespace vantrel {

std::uint32_t PortNumberOf(std::string_view portName) {
    std::size_t start = portName.size();
    while (start > 0 && portName[start - 1] >= '0' && portName[start - 1] <= '9') --start;
    std::uint32_t number = 0;
    for (std::size_t i = start; i < portName.size() && i < start + 9; ++i) {
        number = number * 10 + static_cast<std::uint32_t>(portName[i] - '0');
    }
    return number;
}

}  // namespace vantrel
