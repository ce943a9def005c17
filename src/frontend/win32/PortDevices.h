// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The serial ports of Windows with the names their users know them by. Device Manager lists
// each port device of the Ports class with its friendly name, "USB Serial Port (COM5)" or
// "Prolific USB-to-Serial Comm Port (COM3)", and keeps the port's name ("COM5") in the
// device's registry key; SetupAPI gives both. The older list under
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM holds names only (its "\Device\Serial4"
// tells a user nothing) and stands in where SetupAPI lists nothing (as under wine).

#include <string>
#include <vector>

#include "frontend/SerialPorts.h"

namespace vantrel {

// One present device of the Ports class, as SetupAPI gives it.
struct PortDevice {
    std::string portName;      // "COM5", "LPT1"; from the device's "PortName" value
    std::string friendlyName;  // "USB Serial Port (COM5)", else its device description
};

// The present devices of the Ports class (SetupAPI); none when SetupAPI cannot tell.
std::vector<PortDevice> PresentPortDevices();
// The port names under SERIALCOMM; none without the key.
std::vector<std::string> SerialCommPorts();

// Every port of `serialComm`, and every COM port of `devices` that it lacks (a printer
// port of the same class is no serial port), described by its device's friendly name
// without the " (COM5)" that repeats the port's name; a port without a device is listed
// without a description.
std::vector<SerialPortListing> CombinePortLists(const std::vector<PortDevice>& devices,
                                                const std::vector<std::string>& serialComm);

}  // namespace vantrel
