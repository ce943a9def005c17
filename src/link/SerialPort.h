// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the link engine needs from a serial port, and how it gets one. The real port is
// CSerialPort (termios); tests and the simulator plug in ports of their own through a
// SerialPortFactory.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/PortOpenError.h"

namespace vantrel {

class INotificationQueue;
class INotificationTarget;
class IPrompt;
class IDiagnosticLog;

class ISerialPort {
public:
    virtual ~ISerialPort() = default;
    // Queues `text` for sending followed by one NUL byte and returns at once. Received bytes
    // come back as WM_SERIAL_RXCHAR notifications posted to the owner, one per byte.
    virtual void SendText(std::string_view text) = 0;
    virtual bool IsOpen() const = 0;
};

// Everything a factory needs to open and start one port.
struct PortRequest {
    std::string name;              // "ttyUSB0", "/dev/ttyUSB0" or a simulator's link path
    int baudRate = 9600;           // 9600, 19200 or 38400
    std::uint32_t portNumber = 0;  // sent with every WM_SERIAL_RXCHAR
    INotificationQueue* queue = nullptr;
    INotificationTarget* owner = nullptr;  // receives WM_SERIAL_RXCHAR
    IPrompt* prompt = nullptr;             // port errors, "Null Handle Detected"
    IDiagnosticLog* log = nullptr;
};

// Opens and starts monitoring a port; returns null and fills `failure` when it cannot.
using SerialPortFactory = std::function<std::unique_ptr<ISerialPort>(const PortRequest& request,
                                                                     PortOpenFailure& failure)>;

// The factory that opens a real device with CSerialPort.
SerialPortFactory DefaultSerialPortFactory();

}  // namespace vantrel
