// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PortName.h"

namespace vantrel {

std::string DevicePathOf(std::string_view portName) {
    if (!portName.empty() && portName.front() == '\\') return std::string(portName);
    return "\\\\.\\" + std::string(portName);
}

}  // namespace vantrel
