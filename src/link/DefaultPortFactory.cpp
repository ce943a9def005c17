// SPDX-License-Identifier: GPL-3.0-or-later
#include <cerrno>

#include "link/CSerialPort.h"
#include "link/PortName.h"

namespace vantrel {

SerialPortFactory DefaultSerialPortFactory() {
    return [](const PortRequest& request,
              PortOpenFailure& failure) -> std::unique_ptr<ISerialPort> {
        auto port = std::make_unique<CSerialPort>(*request.queue, *request.prompt, request.log);
        // The logger's line: no parity, 8 data bits, 1 stop bit; room for a 128-byte block.
        if (!port->OpenPort(request.owner, DevicePathOf(request.name), request.portNumber,
                            request.baudRate, 'N', 8, 1, 521)) {
            failure = port->LastOpenFailure();
            return nullptr;
        }
        if (!port->StartMonitor()) {
            failure = PortOpenFailure{PortOpenError::Other, DevicePathOf(request.name), {}, EAGAIN};
            return nullptr;
        }
        return port;
    };
}

}  // namespace vantrel
