// SPDX-License-Identifier: GPL-3.0-or-later
// The serial ports as Qt SerialPort finds them (the devices under /dev that are serial ports).
#include <QSerialPortInfo>

#include "frontend/SerialPorts.h"

namespace vantrel {

std::vector<SerialPortListing> SystemPorts() {
    std::vector<SerialPortListing> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        ports.push_back({info.portName().toStdString(), info.description().toStdString()});
    }
    return ports;
}

}  // namespace vantrel
