// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/InProcessLoggerPort.h"

namespace vantrel::sim {

InProcessLoggerPort::InProcessLoggerPort(LoggerEngine& engine, INotificationQueue& queue,
                                         INotificationTarget* owner, std::uint32_t portNumber)
    : engine_(engine), queue_(queue), owner_(owner), portNumber_(portNumber) {}

InProcessLoggerPort::~InProcessLoggerPort() {
    queue_.Discard(this);
}

void InProcessLoggerPort::SendText(std::string_view text) {
    std::string wire(text);
    wire += '\0';
    LoggerEngine::Output output = engine_.Receive(wire);
    for (Exchange& exchange : output.exchanges) {
        for (TimedReply& reply : exchange.replies) {
            if (reply.delay.count() <= 0) {
                Deliver(reply.bytes);
                continue;
            }
            const std::uint32_t timerId = nextTimerId_++;
            delayed_.emplace(timerId, std::move(reply.bytes));
            queue_.SetTimer(this, timerId, reply.delay);
        }
    }
}

void InProcessLoggerPort::OnNotification(const Notification& notification) {
    if (notification.kind != NotificationKind::WM_TIMER) return;
    queue_.KillTimer(this, notification.value);
    const auto it = delayed_.find(notification.value);
    if (it == delayed_.end()) return;
    Deliver(it->second);
    delayed_.erase(it);
}

void InProcessLoggerPort::Deliver(std::string_view bytes) {
    for (char byte : bytes) {
        queue_.Post(owner_, Notification::RxChar(static_cast<std::uint8_t>(byte), portNumber_));
    }
}

SerialPortFactory InProcessPortFactory(LoggerEngine& engine) {
    return [&engine](const PortRequest& request,
                     PortOpenFailure& /*failure*/) -> std::unique_ptr<ISerialPort> {
        return std::make_unique<InProcessLoggerPort>(engine, *request.queue, request.owner,
                                                     request.portNumber);
    };
}

}  // namespace vantrel::sim
