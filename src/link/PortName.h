// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Port" setting holds a device name as listed ("ttyUSB0") or a path.

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// The device to open for a port name. POSIX: "/dev/" + name for a bare name, the name
// itself for anything holding a "/". Windows: "\\.\" + name ("COM7" -> "\\.\COM7", which
// also reaches COM10 and above), the name itself when it already starts with a backslash.
std::string DevicePathOf(std::string_view portName);

// The number at the end of the name ("ttyUSB3" -> 3, "COM4" -> 4), 0 when there is none.
// It travels with every WM_SERIAL_RXCHAR as the port number.
std::uint32_t PortNumberOf(std::string_view portName);

}  // namespace vantrel
