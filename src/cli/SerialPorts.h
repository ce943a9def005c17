#pragma once
// The serial ports the system lists, and why one could not be opened.

#include <string>
#include <vector>

#include "link/PortOpenError.h"

namespace vantrel::cli {

// Names of the serial ports the system lists ("ttyS0", "ttyUSB0"), sorted.
std::vector<std::string> AvailablePortNames();

// What to tell the user besides the operation's own message: why the port could not be
// opened and what to do about it. `ports`: the ports found, listed for a missing device.
std::string ExplainPortFailure(const PortOpenFailure& failure,
                               const std::vector<std::string>& ports);

}  // namespace vantrel::cli
