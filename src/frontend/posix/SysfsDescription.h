// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the kernel's sysfs tells about the device behind a serial terminal: for a USB
// adapter, its maker and product as the adapter itself reports them, which is how a field
// user tells one adapter from another ("FTDI FT232R USB UART", "Prolific Technology Inc.
// USB-Serial Controller").

#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel {

inline const std::filesystem::path kSysClassTty = "/sys/class/tty";

// The maker and product of the USB device that `name` ("ttyUSB0", "ttyACM0") belongs to,
// read from `classTty`/<name>/device and the folders above it (the USB interface, then the
// device, which holds "manufacturer" and "product"); empty for a port on the board, or a
// device that names neither.
std::string SysfsPortDescription(const std::filesystem::path& classTty, std::string_view name);

}  // namespace vantrel
