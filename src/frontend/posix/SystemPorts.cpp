// SPDX-License-Identifier: GPL-3.0-or-later
// The serial ports as Qt SerialPort finds them (the devices under /dev that are serial
// ports), each described by the USB adapter's own maker and product from sysfs where it
// is one, else by what Qt found.
#include <QSerialPortInfo>

#include "frontend/SerialPorts.h"
#include "frontend/posix/SysfsDescription.h"

namespace vantrel {

std::vector<SerialPortListing> SystemPorts() {
    std::vector<SerialPortListing> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const std::string name = info.portName().toStdString();
        std::string description = SysfsPortDescription(kSysClassTty, name);
        if (description.empty()) description = info.description().toStdString();
        ports.push_back({name, std::move(description)});
    }
    return ports;
}

}  // namespace vantrel
