// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A serial port for the link engine that is wired straight to the simulator's protocol
// engine, with no pseudo-terminal: every text the link sends (plus its NUL) goes to the
// engine, and every reply byte comes back as one WM_SERIAL_RXCHAR, as from a real port.
// Replies the engine delays (the real answer after a hold-off) are delivered by a one-shot
// timer of the notification queue, so a fake clock makes them instant in tests.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "link/SerialPort.h"
#include "platform/NotificationQueue.h"
#include "sim/LoggerEngine.h"

namespace vantrel::sim {

class InProcessLoggerPort final : public ISerialPort, public INotificationTarget {
public:
    InProcessLoggerPort(LoggerEngine& engine, INotificationQueue& queue, INotificationTarget* owner,
                        std::uint32_t portNumber);
    ~InProcessLoggerPort() override;
    InProcessLoggerPort(const InProcessLoggerPort&) = delete;
    InProcessLoggerPort& operator=(const InProcessLoggerPort&) = delete;

    void SendText(std::string_view text) override;
    bool IsOpen() const override { return true; }

    // WM_TIMER of a delayed reply.
    void OnNotification(const Notification& notification) override;

private:
    void Deliver(std::string_view bytes);

    LoggerEngine& engine_;
    INotificationQueue& queue_;
    INotificationTarget* owner_;
    std::uint32_t portNumber_;
    std::map<std::uint32_t, std::string> delayed_;  // timer id -> reply bytes
    std::uint32_t nextTimerId_ = 1;
};

// A factory for CLinkEngine that opens InProcessLoggerPorts on `engine`, whatever the port
// name. `engine` must outlive the link engine.
SerialPortFactory InProcessPortFactory(LoggerEngine& engine);

}  // namespace vantrel::sim
