// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Why a serial port could not be opened, in a form a caller can turn into a clear message.

#include <string>

namespace vantrel {

enum class PortOpenError {
    None,
    BadBaudRate,   // not 9600, 19200 or 38400
    NotFound,      // no such device
    AccessDenied,  // the user may not open the device; see `group`
    InUse,         // another program holds the port (EBUSY or its lock)
    NotATerminal,  // the path is no serial device
    Other,         // any other system error; see `systemError`
};

struct PortOpenFailure {
    PortOpenError error = PortOpenError::None;
    std::string device;   // the path that was tried
    std::string group;    // AccessDenied: the group owning the device, usually "dialout"
    int systemError = 0;  // errno (POSIX) or Win32 error code of the last try
};

// One sentence for the user, e.g. "Permission denied opening /dev/ttyUSB0: add your user to
// the group \"dialout\" (then log in again)".
std::string DescribePortOpenFailure(const PortOpenFailure& failure);

}  // namespace vantrel
