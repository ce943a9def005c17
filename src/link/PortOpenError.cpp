// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PortOpenError.h"

#include "base/SystemError.h"

namespace vantrel {

std::string DescribePortOpenFailure(const PortOpenFailure& failure) {
    const std::string& device = failure.device;
    switch (failure.error) {
        case PortOpenError::None:
            return {};
        case PortOpenError::BadBaudRate:
            return "The baud rate must be 9600, 19200 or 38400";
        case PortOpenError::NotFound:
            return "There is no serial port " + device;
        case PortOpenError::AccessDenied:
            return "Permission denied opening " + device +
                   ": your user must be a member of the group \"" +
                   (failure.group.empty() ? std::string("dialout") : failure.group) +
                   "\" (log in again after joining it)";
        case PortOpenError::InUse:
            return "The port " + device + " is in use by another program";
        case PortOpenError::NotATerminal:
            return device + " is not a serial port";
        case PortOpenError::Other:
            return "Could not open " + device + ": " + SystemErrorText(failure.systemError);
    }
    return {};
}

}  // namespace vantrel
