// SPDX-License-Identifier: GPL-3.0-or-later
// The part of CSerialPort that is the same on every platform: the open retry policy, the
// start of the monitor thread, the hand-over of a write to it and the error report.
#include "link/CSerialPort.h"

#include <system_error>
#include <thread>

#include "base/StringPrintf.h"
#include "base/SystemError.h"
#include "platform/DiagnosticLog.h"
#include "platform/NotificationQueue.h"
#include "platform/Prompt.h"

namespace vantrel {

void CSerialPort::SetOpenRetry(int tries, std::chrono::milliseconds delay) {
    openTries_ = tries < 1 ? 1 : tries;
    retryDelay_ = delay;
}

void CSerialPort::SendText(std::string_view text) {
    if (!IsOpen()) {
        prompt_.Show("Null Handle Detected");
        return;
    }
    if (text.size() + 1 > writeBufferSize_ && log_ != nullptr) {
        // Nothing is cut off (the buffer grows), but a request this long is unexpected.
        log_->Line(StringPrintf("Request of %zu characters exceeds the write buffer", text.size()));
    }
    {
        std::lock_guard lock(portLock_);
        pendingWrite_.assign(text);
        pendingWrite_.push_back('\0');
        writePending_ = true;
    }
    Wake();
}

bool CSerialPort::StartMonitor() {
    if (!IsOpen() || monitor_.joinable()) return false;
    try {
        monitor_ = std::thread([this] { MonitorThread(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

bool CSerialPort::WriteWaiting() const {
    std::lock_guard lock(portLock_);
    return writePending_;
}

void CSerialPort::ReportPortError(std::string_view what, int systemError) {
    // The port by its name: most device names end in no number ("/dev/serial/by-id/...")
    // or in one that is not unique ("ttyS0" and "ttyUSB0").
    std::string_view name = portName_;
    if (name.rfind(R"(\\.\)", 0) == 0) name.remove_prefix(4);
    const std::string text = StringPrintf(
        "WARNING:  %.*s Failed with the following error: \n%s\nPort: %.*s\n",
        static_cast<int>(what.size()), what.data(), SystemErrorText(systemError).c_str(),
        static_cast<int>(name.size()), name.data());
    if (log_ != nullptr) log_->Line(text.substr(0, text.size() - 1));
    if (owner_ != nullptr) {
        queue_.Post(owner_, Notification::PortFailure(text));
        return;
    }
    // Prompts belong to the engine's thread; the monitor thread must never show one.
    IPrompt* prompt = &prompt_;
    queue_.Post(nullptr, Notification::Invoke([prompt, text] {
                    prompt->Show(text, "Application Error", PromptButtons::OK, PromptIcon::Stop);
                }));
}

}  // namespace vantrel
