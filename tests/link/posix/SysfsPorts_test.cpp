// SPDX-License-Identifier: GPL-3.0-or-later
// The USB adapter behind a terminal, read from a made-up sysfs tree laid out as the kernel
// lays out its own: /sys/class/tty/<name>/device leads into /sys/devices.

#include <gtest/gtest.h>

#include <fstream>

#include "frontend/posix/SysfsDescription.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class SysfsPorts : public ::testing::Test {
protected:
    // A terminal `name` whose "device" link leads to `device` (under devices/).
    void Terminal(const std::string& name, const std::string& device) {
        fs::create_directories(sys() / "devices" / device);
        fs::create_directories(classTty() / name);
        fs::create_directory_symlink(sys() / "devices" / device, classTty() / name / "device");
    }
    void Attribute(const std::string& device, const std::string& name, const std::string& text) {
        std::ofstream(sys() / "devices" / device / name) << text;
    }
    fs::path sys() const { return dir_.path() / "sys"; }
    fs::path classTty() const { return sys() / "class" / "tty"; }

private:
    testing::TempDir dir_;
};

TEST_F(SysfsPorts, AUsbAdapterIsDescribedByItsMakerAndProductAndNothingElseIs) {
    const std::string hub = "pci0000:00/0000:00:14.0/usb1";
    fs::create_directories(sys() / "devices" / hub);
    Attribute(hub, "manufacturer", "Linux 6.1.0 xhci-hcd\n");
    Attribute(hub, "product", "xHCI Host Controller\n");
    // A USB serial driver's terminal sits below its interface; an ACM terminal's device is
    // the interface itself.
    Terminal("ttyUSB0", hub + "/1-1/1-1:1.0/ttyUSB0");
    Attribute(hub + "/1-1", "manufacturer", "FTDI\n");
    Attribute(hub + "/1-1", "product", "FT232R USB UART\n");
    Terminal("ttyACM0", hub + "/1-2/1-2:1.0");
    Attribute(hub + "/1-2", "manufacturer", "Prolific Technology Inc.\n");
    Attribute(hub + "/1-2", "product", "Prolific Technology Inc. USB-Serial Controller \n");
    Terminal("ttyUSB1", hub + "/1-3/1-3:1.0/ttyUSB1");
    Attribute(hub + "/1-3", "product", "USB2.0-Serial\n");
    // An adapter that names nothing must not borrow its hub's name.
    Terminal("ttyUSB2", hub + "/1-4/1-4:1.0/ttyUSB2");
    Terminal("ttyS0", "pnp0/00:04");
    fs::create_directories(classTty() / "ttyS9");  // no device at all

    const std::pair<const char*, const char*> expected[] = {
        {"ttyUSB0", "FTDI FT232R USB UART"},
        {"ttyACM0", "Prolific Technology Inc. USB-Serial Controller"},
        {"ttyUSB1", "USB2.0-Serial"},
        {"ttyUSB2", ""},
        {"ttyS0", ""},
        {"ttyS9", ""},
        {"ttyUSB7", ""},
    };
    for (const auto& [name, description] : expected) {
        EXPECT_EQ(SysfsPortDescription(classTty(), name), description) << name;
    }
}

}  // namespace
}  // namespace vantrel
