// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The serial ports the system lists, and why one could not be opened.

#include <string>
#include <vector>

#include "link/PortOpenError.h"

namespace vantrel {

struct SerialPortListing {
    std::string name;         // "ttyUSB0", "COM3"
    std::string description;  // "USB-Serial Controller", "\\Device\\Serial0"; may be empty
};

// The ports as the system lists them, in its order (posix/ and win32/ each have one).
std::vector<SerialPortListing> SystemPorts();

// The serial ports the system lists, sorted by name, each once.
std::vector<SerialPortListing> AvailablePorts();
// Their names only ("ttyS0", "ttyUSB0").
std::vector<std::string> AvailablePortNames();

// Where the user changes the port: the hints differ between the two front ends.
enum class PortAdvice { CommandLine, Desktop };

// What to tell the user besides the operation's own message: why the port could not be
// opened and what to do about it. `ports`: the ports found, listed for a missing device.
std::string ExplainPortFailure(const PortOpenFailure& failure,
                               const std::vector<std::string>& ports,
                               PortAdvice advice = PortAdvice::CommandLine);

}  // namespace vantrel
