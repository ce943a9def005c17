// SPDX-License-Identifier: GPL-3.0-or-later
// The Win32 half of CSerialPort: overlapped I/O on "\\.\COMn". The monitor thread waits on
// the shutdown event, the port's event and the write-request event, in that order of
// priority. The event wait, the reads and the writes each have an OVERLAPPED record of their
// own: a write must never reuse the record of a wait that is still pending.
#include "link/CSerialPort.h"

#include <windows.h>
// <windows.h> defines WM_TIMER, which is also the name of one of our notification kinds.
#undef WM_TIMER

#include <algorithm>

#include "base/StringPrintf.h"
#include "base/win32/WideText.h"
#include "platform/DiagnosticLog.h"
#include "platform/NotificationQueue.h"

namespace vantrel {

namespace {

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kWantedEvents = EV_RXCHAR | EV_CTS;
// How often the queue is checked when the port cannot signal received characters.
constexpr DWORD kPollMs = 10;
constexpr std::chrono::microseconds kCoalesce{1000};

HANDLE ManualResetEvent() {
    return CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

void CloseIfSet(HANDLE& handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = nullptr;
}

bool SupportedBaudRate(int baudRate) {
    return baudRate == 9600 || baudRate == 19200 || baudRate == 38400;
}

PortOpenError Classify(DWORD systemError) {
    switch (systemError) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return PortOpenError::NotFound;
        // A port that another program holds answers "access denied"; COM ports carry no
        // per-user permissions as POSIX devices do.
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return PortOpenError::InUse;
        default:
            return PortOpenError::Other;
    }
}

}  // namespace

struct CSerialPort::Native {
    Native() {
        shutdownEvent = ManualResetEvent();
        writeEvent = ManualResetEvent();
        wait.hEvent = ManualResetEvent();
        read.hEvent = ManualResetEvent();
        write.hEvent = ManualResetEvent();
    }
    ~Native() {
        CloseIfSet(wait.hEvent);
        CloseIfSet(read.hEvent);
        CloseIfSet(write.hEvent);
        CloseIfSet(writeEvent);
        CloseIfSet(port);
        CloseIfSet(shutdownEvent);
    }
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    bool EventsCreated() const {
        return shutdownEvent != nullptr && writeEvent != nullptr && wait.hEvent != nullptr &&
               read.hEvent != nullptr && write.hEvent != nullptr;
    }

    HANDLE port = nullptr;
    HANDLE shutdownEvent = nullptr;
    HANDLE writeEvent = nullptr;
    OVERLAPPED wait{};
    OVERLAPPED read{};
    OVERLAPPED write{};
    DWORD eventMask = kWantedEvents;
};

CSerialPort::CSerialPort(INotificationQueue& queue, IPrompt& prompt, IDiagnosticLog* log)
    : queue_(queue), prompt_(prompt), log_(log), native_(std::make_unique<Native>()) {}

CSerialPort::~CSerialPort() {
    shutdown_ = true;
    if (native_->shutdownEvent != nullptr) SetEvent(native_->shutdownEvent);
    if (monitor_.joinable()) monitor_.join();
    // Native's destructor closes the events and the port, now that no I/O is pending.
}

bool CSerialPort::OpenPort(INotificationTarget* owner, const std::string& devicePath,
                           std::uint32_t portNumber, int baudRate, char parity, int dataBits,
                           int stopBits, std::size_t writeBufferSize) {
    owner_ = owner;
    portNumber_ = portNumber;
    portName_ = devicePath;
    writeBufferSize_ = writeBufferSize;
    lastFailure_ = PortOpenFailure{PortOpenError::None, devicePath, {}, 0};
    if (!SupportedBaudRate(baudRate)) {
        lastFailure_.error = PortOpenError::BadBaudRate;
        return false;
    }
    if (!native_->EventsCreated()) {
        lastFailure_.error = PortOpenError::Other;
        lastFailure_.systemError = static_cast<int>(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    std::lock_guard lock(portLock_);
    CloseIfSet(native_->port);
    for (int attempt = 0; attempt < openTries_; ++attempt) {
        if (TryOpenOnce(devicePath)) break;
        std::this_thread::sleep_for(retryDelay_);
    }
    if (native_->port == nullptr) return false;
    lastFailure_ = PortOpenFailure{PortOpenError::None, devicePath, {}, 0};
    Configure(baudRate, parity, dataBits, stopBits);
    PurgeComm(native_->port, kPurgeAll);
    return true;
}

bool CSerialPort::TryOpenOnce(const std::string& devicePath) {
    const std::wstring path = WideFromUtf8(devicePath);
    // No sharing: two programs must never talk to one logger at once.
    HANDLE port = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        lastFailure_.systemError = static_cast<int>(error);
        lastFailure_.error = Classify(error);
        return false;
    }
    DCB probe{};
    probe.DCBlength = sizeof probe;
    if (!GetCommState(port, &probe)) {  // a file or another device, not a serial port
        lastFailure_.systemError = static_cast<int>(GetLastError());
        lastFailure_.error = PortOpenError::NotATerminal;
        CloseHandle(port);
        return false;
    }
    native_->port = port;
    return true;
}

void CSerialPort::Configure(int baudRate, char parity, int dataBits, int stopBits) {
    HANDLE port = native_->port;
    // Reads take only what is queued, so they never wait on these; a write may take 100 ms
    // plus 20 ms a character.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 30;
    timeouts.ReadTotalTimeoutMultiplier = 100;
    timeouts.ReadTotalTimeoutConstant = 100;
    timeouts.WriteTotalTimeoutMultiplier = 20;
    timeouts.WriteTotalTimeoutConstant = 100;
    if (!SetCommTimeouts(port, &timeouts)) {
        ReportPortError("SetCommTimeouts()", static_cast<int>(GetLastError()));
        return;
    }
    DCB control{};
    control.DCBlength = sizeof control;
    const std::wstring mode = WideFromUtf8(
        StringPrintf("baud=%d parity=%c data=%d stop=%d", baudRate, parity, dataBits, stopBits));
    if (!BuildCommDCBW(mode.c_str(), &control)) {
        ReportPortError("BuildCommDCB()", static_cast<int>(GetLastError()));
        return;
    }
    control.fBinary = TRUE;
    control.fParity = TRUE;
    control.fNull = FALSE;
    control.fRtsControl = RTS_CONTROL_ENABLE;  // RTS held high
    if (!SetCommState(port, &control)) {
        ReportPortError("SetCommState()", static_cast<int>(GetLastError()));
    } else if (!SetCommMask(port, native_->eventMask)) {
        ReportPortError("SetCommMask()", static_cast<int>(GetLastError()));
    } else if (!GetCommState(port, &control)) {
        ReportPortError("GetCommState()", static_cast<int>(GetLastError()));
    }
}

bool CSerialPort::IsOpen() const {
    std::lock_guard lock(portLock_);
    return native_->port != nullptr;
}

void CSerialPort::Wake() {
    if (native_->writeEvent != nullptr) SetEvent(native_->writeEvent);
}

void CSerialPort::MonitorThread() {
    HANDLE port = native_->port;
    PurgeComm(port, kPurgeAll);
    bool reading = true;
    bool waitPending = false;
    bool waitUsable = true;  // false: the port cannot signal received bytes; poll its queue
    while (!shutdown_) {
        DWORD timeout = INFINITE;
        if (reading && waitUsable && !waitPending) {
            DWORD events = 0;
            ResetEvent(native_->wait.hEvent);
            if (WaitCommEvent(port, &events, &native_->wait)) {
                // The event had already happened: take what is queued and wait again, after
                // a look at the shutdown and write events.
                reading = ReceiveAvailable();
                timeout = 0;
            } else if (const DWORD error = GetLastError(); error == ERROR_IO_PENDING) {
                waitPending = true;
                // Bytes queued before the wait was armed raise no event of their own.
                reading = ReceiveAvailable();
            } else if (native_->eventMask != EV_RXCHAR) {
                // Some ports (wine's on a pseudo-terminal) refuse to watch the modem lines;
                // the received-character event is all the link needs.
                native_->eventMask = EV_RXCHAR;
                if (log_ != nullptr) {
                    log_->Line(
                        StringPrintf("Port %u refuses to watch its modem lines (error "
                                     "%lu); watching received characters only",
                                     portNumber_, static_cast<unsigned long>(error)));
                }
                if (!SetCommMask(port, EV_RXCHAR)) waitUsable = false;
                continue;
            } else {
                if (error != ERROR_INVALID_PARAMETER) {
                    ReportPortError("WaitCommEvent()", static_cast<int>(error));
                }
                waitUsable = false;
            }
        }
        if (reading && !waitUsable) timeout = kPollMs;

        HANDLE handles[3] = {native_->shutdownEvent, native_->writeEvent, nullptr};
        DWORD count = 2;
        if (waitPending) handles[count++] = native_->wait.hEvent;
        const DWORD woke = WaitForMultipleObjects(count, handles, FALSE, timeout);
        if (woke == WAIT_OBJECT_0) break;
        if (woke == WAIT_FAILED) {
            ReportPortError("WaitForMultipleObjects()", static_cast<int>(GetLastError()));
            break;
        }
        if (woke == WAIT_OBJECT_0 + 2) {
            DWORD ignored = 0;
            GetOverlappedResult(port, &native_->wait, &ignored, FALSE);
            waitPending = false;
            if (reading) reading = ReceiveAvailable();
        } else if (woke == WAIT_TIMEOUT && reading && !waitUsable) {
            reading = ReceiveAvailable();
        }
        // A port that never falls silent must not hold a request back: the write is checked
        // on every turn, not only when its event wins the wait.
        WritePending();
    }
    if (waitPending) {
        // The pending wait refers to its record: let it end before the record goes away.
        CancelIo(port);
        DWORD ignored = 0;
        GetOverlappedResult(port, &native_->wait, &ignored, TRUE);
    }
}

bool CSerialPort::ReceiveAvailable() {
    HANDLE port = native_->port;
    std::uint8_t buffer[4096];
    for (;;) {
        DWORD lineErrors = 0;
        COMSTAT status{};
        if (!ClearCommError(port, &lineErrors, &status)) {
            // The device has vanished: stop reading, so the thread does not spin on it; the
            // transport times out.
            ReportPortError("ClearCommError()", static_cast<int>(GetLastError()));
            return false;
        }
        if (status.cbInQue == 0) return true;
        const DWORD wanted = std::min<DWORD>(status.cbInQue, sizeof buffer);
        DWORD got = 0;
        ResetEvent(native_->read.hEvent);
        if (!ReadFile(port, buffer, wanted, &got, &native_->read)) {
            const DWORD error = GetLastError();
            if (error != ERROR_IO_PENDING) {
                ReportPortError("ReadFile()", static_cast<int>(error));
                return false;
            }
            if (!GetOverlappedResult(port, &native_->read, &got, TRUE)) {
                ReportPortError("GetOverlappedResults() in ReadFile()",
                                static_cast<int>(GetLastError()));
                return false;
            }
        }
        for (DWORD i = 0; i < got; ++i) {
            queue_.Post(owner_, Notification::RxChar(buffer[i], portNumber_));
        }
        // A request waiting to go out ends the read loop; its purge discards the rest.
        if (shutdown_ || WriteWaiting()) return true;
        // At the logger's baud rates bytes trickle in one by one, and a port event, a status
        // query and a read for every byte cost more than the byte's time on the line (under
        // wine most of all): let a few more arrive first. A NUL ends every frame, and
        // nothing follows it until the next request, so a read that ends in one goes on at
        // once.
        if (got < sizeof buffer && (got == 0 || buffer[got - 1] != 0)) {
            std::this_thread::sleep_for(kCoalesce);
        }
    }
}

void CSerialPort::WritePending() {
    ResetEvent(native_->writeEvent);
    std::string text;
    {
        std::lock_guard lock(portLock_);
        if (!writePending_) return;
        text.swap(pendingWrite_);
        writePending_ = false;
    }
    HANDLE port = native_->port;
    // Every request starts a fresh exchange: input not read yet is discarded.
    PurgeComm(port, kPurgeAll);
    OVERLAPPED& record = native_->write;
    record.Offset = 0;
    record.OffsetHigh = 0;
    ResetEvent(record.hEvent);
    DWORD wrote = 0;
    if (!WriteFile(port, text.data(), static_cast<DWORD>(text.size()), &wrote, &record)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            ReportPortError("WriteFile()", static_cast<int>(error));
            return;
        }
        if (!GetOverlappedResult(port, &record, &wrote, TRUE)) {
            ReportPortError("GetOverlappedResults() in WriteFile()",
                            static_cast<int>(GetLastError()));
            return;
        }
    }
    // The write time-out ended it early.
    if (wrote < text.size()) ReportPortError("WriteFile()", static_cast<int>(ERROR_TIMEOUT));
}

}  // namespace vantrel
