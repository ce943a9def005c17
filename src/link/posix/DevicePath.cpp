// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PortName.h"

namespace vantrel {

std::string DevicePathOf(std::string_view portName) {
    if (portName.find('/') != std::string_view::npos) return std::string(portName);
    return "/dev/" + std::string(portName);
}

}  // namespace vantrel
