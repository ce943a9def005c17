// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LinkEngine.h"

#include "link/Frame.h"
#include "link/PortName.h"

namespace vantrel {

std::optional<int> BaudRateFromIndex(int index) {
    switch (index) {
        case 0:
            return 9600;
        case 1:
            return 19200;
        case 2:
            return 38400;
        default:
            return std::nullopt;
    }
}

CLinkEngine::CLinkEngine(LinkServices services, SerialPortFactory portFactory)
    : services_(services), portFactory_(std::move(portFactory)) {}

CLinkEngine::~CLinkEngine() {
    port_.reset();  // ends the monitor thread before its notifications are dropped
    services_.queue.Discard(this);
}

void CLinkEngine::OnNotification(const Notification& notification) {
    switch (notification.kind) {
        case NotificationKind::WM_SERIAL_RXCHAR:
            OnReceiveChar(static_cast<std::uint8_t>(notification.value), notification.port);
            break;
        case NotificationKind::WM_TIMER:
            if (notification.value == kRateTimerId) OnRateTimer();
            break;
        case NotificationKind::WM_SERIAL_FAILURE:
            OnPortFailure(notification.text.value_or(std::string()));
            break;
        default:
            break;
    }
}

bool CLinkEngine::OpenLink(const std::string& port, int baudRate) {
    connecting_ = false;
    if (baudRate != 9600 && baudRate != 19200 && baudRate != 38400) {
        lastOpenFailure_ = PortOpenFailure{PortOpenError::BadBaudRate, DevicePathOf(port), {}, 0};
        return false;  // the existing port stays as it was
    }
    port_.reset();
    PortRequest request;
    request.name = port;
    request.baudRate = baudRate;
    request.portNumber = PortNumberOf(port);
    request.queue = &services_.queue;
    request.owner = this;
    request.prompt = &services_.prompt;
    request.log = &services_.log;
    lastOpenFailure_ = PortOpenFailure{PortOpenError::None, DevicePathOf(port), {}, 0};
    port_ = portFactory_(request, lastOpenFailure_);
    if (port_ == nullptr && lastOpenFailure_.error == PortOpenError::None) {
        lastOpenFailure_.error = PortOpenError::Other;
    }
    return port_ != nullptr;
}

void CLinkEngine::OnPortFailure(const std::string& report) {
    if (IsOperationRunning()) {
        services_.prompt.Show(report, "Application Error", PromptButtons::OK, PromptIcon::Stop);
        return;
    }
    if (port_ == nullptr) return;
    services_.log.Line(
        "No operation was running: the port is closed; the next operation opens "
        "it again");
    port_.reset();
}

bool CLinkEngine::HasOpenPort() const {
    return port_ != nullptr && port_->IsOpen();
}

int CLinkEngine::OnReceiveChar(std::uint8_t byte, std::uint32_t) {
    ++transferBytes_;
    if (trace_) trace_->Received(byte);
    assembler_.OnByte(byte);
    return 0;
}

std::uint16_t CLinkEngine::NextMessageId() {
    messageId_ = MessageIdAfter(messageId_);
    expectedId_ = messageId_;
    return messageId_;
}

std::string CLinkEngine::BuildRequest(std::string_view body) {
    return FrameRequest(NextMessageId(), body);
}

bool CLinkEngine::ParseReply(bool showMessages, ReplyStatus& status) {
    const ReplyCheck check = CheckReply(assembler_.CurrentReply(), expectedId_);
    status = check.status;
    if (showMessages && !check.message.empty()) {
        if (check.caption.empty()) {
            services_.prompt.Show(check.message);
        } else {
            services_.prompt.Show(check.message, check.caption, PromptButtons::OK,
                                  PromptIcon::None);
        }
    }
    return check.accepted;
}

bool CLinkEngine::IsHoldOffReply() const {
    return IsHoldOff(assembler_.CurrentReply(), expectedId_);
}

void CLinkEngine::PostStatus(std::uint32_t progress, std::optional<std::string> text) {
    if (target_ == nullptr) return;
    services_.queue.Post(target_, Notification::Status(progress, std::move(text)));
}

void CLinkEngine::PostItemStatus(std::uint32_t progress, std::string text) {
    if (target_ == nullptr) return;
    services_.queue.Post(target_, Notification::StatusItem(progress, std::move(text)));
}

void CLinkEngine::PostErrors() {
    if (target_ == nullptr) return;
    services_.queue.Post(target_, Notification::Errors(transferErrors_));
}

void CLinkEngine::StartRateTimer(std::chrono::milliseconds period) {
    // A rate measures this operation: once ticks have begun, the first tick of a new
    // operation counts from its start, not from the last tick of the one before (which
    // would spread its bytes over the idle time between them).
    if (rateTickKnown_) previousRateTickMs_ = services_.clock.TickMilliseconds();
    services_.queue.SetTimer(this, kRateTimerId, period);
}

void CLinkEngine::StopRateTimer() {
    services_.queue.KillTimer(this, kRateTimerId);
}

void CLinkEngine::OnRateTimer() {
    const std::int64_t now = services_.clock.TickMilliseconds();
    // Two ticks in the same millisecond would divide by zero: that tick posts nothing.
    if (rateTickKnown_ && now > previousRateTickMs_) {
        const double seconds = static_cast<double>(now - previousRateTickMs_) / 1000.0;
        const auto rate = static_cast<std::uint32_t>(static_cast<double>(transferBytes_) / seconds);
        if (target_ != nullptr) services_.queue.Post(target_, Notification::Rate(rate));
    }
    // Every tick starts a new count, the first one too: otherwise the first rate posted
    // would carry the bytes of two periods over the time of one.
    transferBytes_ = 0;
    // Kept from one operation to the next, like the first tick after start-up.
    previousRateTickMs_ = now;
    rateTickKnown_ = true;
}

}  // namespace vantrel
