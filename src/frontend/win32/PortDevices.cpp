// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/win32/PortDevices.h"

#include <algorithm>

#include "base/AsciiText.h"

namespace vantrel {

namespace {

// "USB Serial Port (COM5)" -> "USB Serial Port"; a name without the port's stays whole.
std::string DescriptionOf(const PortDevice& device) {
    const std::string suffix = " (" + device.portName + ")";
    std::string description = device.friendlyName;
    if (EndsWithIgnoringCase(description, suffix))
        description.resize(description.size() - suffix.size());
    return EqualsIgnoringCase(description, device.portName) ? std::string() : description;
}

bool IsComPort(const std::string& name) {
    return name.size() > 3 && EqualsIgnoringCase(std::string_view(name).substr(0, 3), "COM");
}

}  // namespace

std::vector<SerialPortListing> CombinePortLists(const std::vector<PortDevice>& devices,
                                                const std::vector<std::string>& serialComm) {
    const auto deviceOf = [&devices](const std::string& port) {
        return std::find_if(devices.begin(), devices.end(), [&port](const PortDevice& device) {
            return EqualsIgnoringCase(device.portName, port);
        });
    };
    std::vector<SerialPortListing> ports;
    for (const std::string& port : serialComm) {
        const auto device = deviceOf(port);
        ports.push_back({port, device == devices.end() ? std::string() : DescriptionOf(*device)});
    }
    for (const PortDevice& device : devices) {
        const bool listed =
            std::any_of(serialComm.begin(), serialComm.end(), [&device](const std::string& port) {
                return EqualsIgnoringCase(port, device.portName);
            });
        if (!listed && IsComPort(device.portName)) {
            ports.push_back({device.portName, DescriptionOf(device)});
        }
    }
    return ports;
}

}  // namespace vantrel
