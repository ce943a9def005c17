// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One serial port, with a monitor thread that posts one WM_SERIAL_RXCHAR per received byte
// to its owner and performs the writes handed to it by SendText. The platform's half lives
// in posix/CSerialPort.cpp (termios, poll, an eventfd) or win32/CSerialPort.cpp (overlapped
// I/O on "\\.\COMn", events); what both share is in CSerialPort.cpp.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "link/PortOpenError.h"
#include "link/SerialPort.h"

namespace vantrel {

class CSerialPort final : public ISerialPort {
public:
    CSerialPort(INotificationQueue& queue, IPrompt& prompt, IDiagnosticLog* log = nullptr);
    ~CSerialPort() override;  // ends the monitor thread, then closes everything
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens `devicePath` exclusively, raw, at `baudRate` (9600, 19200 or 38400) with the
    // parity letter ('N', 'E', 'O'), data bits (7, 8) and stop bits (1, 2) given, RTS held
    // high, both directions purged. Tries `OpenTries()` times, `RetryDelay()` apart (also
    // after the last try). False when the device could not be opened; see LastOpenFailure().
    // A configuration call that fails afterwards is reported and the port stays open.
    bool OpenPort(INotificationTarget* owner, const std::string& devicePath,
                  std::uint32_t portNumber, int baudRate, char parity, int dataBits, int stopBits,
                  std::size_t writeBufferSize);

    // Starts the monitor thread; true when it runs.
    bool StartMonitor();

    // Hands `text` to the monitor thread, which purges the port and writes the text and a
    // NUL. "Null Handle Detected" (prompt) when the port is not open.
    void SendText(std::string_view text) override;
    bool IsOpen() const override;

    const PortOpenFailure& LastOpenFailure() const { return lastFailure_; }

    // Writes "WARNING:  <what> Failed with the following error: \n<reason>\nPort: <name>\n"
    // to the diagnostic log and posts it to the owner as WM_SERIAL_FAILURE, which decides
    // whether the user sees it (the link engine shows it only while an operation runs).
    // Without an owner it is shown (caption "Application Error") on the thread that pumps
    // the queue. Any thread may call it. `systemError` is an errno value on POSIX, a Win32
    // error code on Windows.
    void ReportPortError(std::string_view what, int systemError);

    // The open retry policy: 10 tries, 200 ms apart, unless changed.
    void SetOpenRetry(int tries, std::chrono::milliseconds delay);
    int OpenTries() const { return openTries_; }
    std::chrono::milliseconds RetryDelay() const { return retryDelay_; }

private:
    bool TryOpenOnce(const std::string& devicePath);
    void Configure(int baudRate, char parity, int dataBits, int stopBits);
    void MonitorThread();
    bool ReceiveAvailable();
    bool WriteWaiting() const;
    void WritePending();
    void Wake();

    INotificationQueue& queue_;
    IPrompt& prompt_;
    IDiagnosticLog* log_;
    INotificationTarget* owner_ = nullptr;
    std::uint32_t portNumber_ = 0;
    std::string portName_;  // the device as opened, named in failure reports
    std::size_t writeBufferSize_ = 0;
    int openTries_ = 10;
    std::chrono::milliseconds retryDelay_{200};
    PortOpenFailure lastFailure_;

    struct Native;  // the platform's handles: the open port and what wakes the monitor
    mutable std::mutex portLock_;  // guards opening and closing the port, and the pending write
    std::unique_ptr<Native> native_;
    std::string pendingWrite_;
    bool writePending_ = false;
    std::atomic<bool> shutdown_{false};
    std::thread monitor_;
};

}  // namespace vantrel
