// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The notifications that travel between the serial port's monitor thread, the link engine
// and the page (or progress printer) that started an operation. The kind values keep the
// window-message numbers of the desktop program so logs and traces read the same.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vantrel {

enum class NotificationKind : std::uint32_t {
    WM_TIMER = 0x0113,           // a timer of the target is due; value = timer id
    WM_SERIAL_RXCHAR = 0x8007,   // value = the received byte, port = the port number
    WM_SERIAL_FAILURE = 0x8008,  // text = the port's failure report, for its owner to judge
    WM_LINK_STATUS = 0x800A,     // value = progress 0..100 or kKeepProgress; text = status or none
    WM_LINK_ERRORS = 0x800B,     // value = the transfer error count
    WM_LINK_RATE = 0x800C,       // value = characters per second
    WM_INVOKE = 0x80FF,          // run `call` on the thread that pumps the queue
};

// Progress value of WM_LINK_STATUS that leaves the progress display unchanged.
inline constexpr std::uint32_t kKeepProgress = 0xFFFF;

struct Notification {
    NotificationKind kind = NotificationKind::WM_INVOKE;
    std::uint32_t value = 0;
    std::uint32_t port = 0;
    // A copy of the status text, so the receiver never depends on the sender's buffers.
    // Empty optional: leave the shown text unchanged ("Idle" on the ID Tags page).
    std::optional<std::string> text;
    std::function<void()> call;
    // WM_LINK_STATUS: the text names the item a step is working on (the file being
    // transferred), not a step or the operation's outcome. Screen readers are told of steps
    // and outcomes only, so that their speech keeps pace with the operation.
    bool item = false;

    static Notification RxChar(std::uint8_t byte, std::uint32_t portNumber) {
        return {NotificationKind::WM_SERIAL_RXCHAR, byte, portNumber, std::nullopt, {}};
    }
    static Notification Status(std::uint32_t progress, std::optional<std::string> statusText) {
        return {NotificationKind::WM_LINK_STATUS, progress, 0, std::move(statusText), {}};
    }
    static Notification StatusItem(std::uint32_t progress, std::string itemText) {
        Notification status = Status(progress, std::move(itemText));
        status.item = true;
        return status;
    }
    static Notification PortFailure(std::string report) {
        return {NotificationKind::WM_SERIAL_FAILURE, 0, 0, std::move(report), {}};
    }
    static Notification Errors(std::uint32_t count) {
        return {NotificationKind::WM_LINK_ERRORS, count, 0, std::nullopt, {}};
    }
    static Notification Rate(std::uint32_t charsPerSecond) {
        return {NotificationKind::WM_LINK_RATE, charsPerSecond, 0, std::nullopt, {}};
    }
    static Notification Timer(std::uint32_t timerId) {
        return {NotificationKind::WM_TIMER, timerId, 0, std::nullopt, {}};
    }
    static Notification Invoke(std::function<void()> work) {
        return {NotificationKind::WM_INVOKE, 0, 0, std::nullopt, std::move(work)};
    }
};

// Receives notifications on the thread that pumps the queue: the link engine (serial
// bytes, timer ticks), a page in the GUI, a progress printer in the CLI, a recorder in tests.
class INotificationTarget {
public:
    virtual ~INotificationTarget() = default;
    virtual void OnNotification(const Notification& notification) = 0;
};

}  // namespace vantrel
