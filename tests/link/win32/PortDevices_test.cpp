// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows port list: SetupAPI's devices of the Ports class with their friendly names,
// merged with the registry's SERIALCOMM names; under wine, which lists no such device, the
// registry's names alone.

#include <gtest/gtest.h>

#include "frontend/win32/PortDevices.h"

namespace vantrel {
namespace {

std::vector<std::pair<std::string, std::string>> Listed(
    const std::vector<SerialPortListing>& ports) {
    std::vector<std::pair<std::string, std::string>> listed;
    for (const SerialPortListing& port : ports) listed.emplace_back(port.name, port.description);
    return listed;
}

TEST(PortDevices, FriendlyNamesDescribeThePortsAndTheRegistryFillsTheGaps) {
    const std::vector<PortDevice> devices = {
        {"COM5", "USB Serial Port (COM5)"},
        {"COM3", "Prolific USB-to-Serial Comm Port (com3)"},
        {"LPT1", "ECP Printer Port (LPT1)"},
        {"COM12", "Bluetooth Link"},
        {"COM8", "COM8"},
        {"COM9", ""},
    };
    const std::vector<std::string> serialComm = {"COM1", "COM3", "COM5", "COM8"};
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"COM1", ""},                                  // a port without a present device
        {"COM3", "Prolific USB-to-Serial Comm Port"},  // the port's name in any case
        {"COM5", "USB Serial Port"},
        {"COM8", ""},  // a friendly name that is only the port's name tells nothing more
        {"COM12", "Bluetooth Link"},  // a device the registry's list lacks
        {"COM9", ""},
    };
    EXPECT_EQ(Listed(CombinePortLists(devices, serialComm)), expected);
    EXPECT_EQ(Listed(CombinePortLists({}, {"COM1", "COM2"})),
              (std::vector<std::pair<std::string, std::string>>{{"COM1", ""}, {"COM2", ""}}));
}

TEST(PortDevices, WithoutPortDevicesTheSystemListIsTheRegistrysNamesAlone) {
    if (!PresentPortDevices().empty()) GTEST_SKIP() << "SetupAPI lists port devices here";
    const std::vector<SerialPortListing> ports = SystemPorts();
    std::vector<std::pair<std::string, std::string>> expected;
    for (const std::string& name : SerialCommPorts()) expected.emplace_back(name, "");
    EXPECT_EQ(Listed(ports), expected);
}

}  // namespace
}  // namespace vantrel
