// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/SerialPorts.h"

#include <algorithm>

namespace vantrel {

std::vector<SerialPortListing> AvailablePorts() {
    std::vector<SerialPortListing> ports = SystemPorts();
    const auto byName = [](const auto& a, const auto& b) { return a.name < b.name; };
    std::sort(ports.begin(), ports.end(), byName);
    ports.erase(std::unique(ports.begin(), ports.end(),
                            [](const auto& a, const auto& b) { return a.name == b.name; }),
                ports.end());
    return ports;
}

std::vector<std::string> AvailablePortNames() {
    std::vector<std::string> names;
    for (SerialPortListing& port : AvailablePorts()) names.push_back(std::move(port.name));
    return names;
}

std::string ExplainPortFailure(const PortOpenFailure& failure,
                               const std::vector<std::string>& ports, PortAdvice advice) {
    const bool commandLine = advice == PortAdvice::CommandLine;
    std::string text = DescribePortOpenFailure(failure);
    switch (failure.error) {
        case PortOpenError::NotFound: {
            if (ports.empty()) {
                text += ".\nNo serial ports were found on this computer.";
                break;
            }
            text += ".\nSerial ports found:";
            for (const std::string& port : ports) text += " " + port;
            text += commandLine ? "\nChoose one with --port NAME or: vantrel settings Port NAME"
                                : "\nChoose one on the Settings page.";
            break;
        }
        case PortOpenError::BadBaudRate:
            text +=
                commandLine
                    ? ".\nGive --baud, or store a rate with: vantrel settings \"Baud Rate\" 9600"
                    : ".\nChoose a baud rate on the Settings page.";
            break;
        case PortOpenError::AccessDenied:
            text += ".\nFor example: sudo adduser $USER " +
                    (failure.group.empty() ? std::string("dialout") : failure.group);
            break;
        case PortOpenError::InUse:
            text += commandLine ? ".\nClose the other program, or choose another port with --port."
                                : ".\nClose the other program, or choose another port on the "
                                  "Settings page.";
            break;
        default:
            text += ".";
            break;
    }
    return text;
}

}  // namespace vantrel
