// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Port" setting holds a device name as listed ("ttyUSB0") or a path.

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// "/dev/" + name for a bare name, the name itself for anything holding a "/".
std::string DevicePathOf(std::string_view portName);

// The number at the end of the name ("ttyUSB3" -> 3, "COM4" -> 4), 0 when there is none.
// It travels with every WM_SERIAL_RXCHAR as the port number.
std::uint32_t PortNumberOf(std::string_view portName);

}  // namespace vantrel
