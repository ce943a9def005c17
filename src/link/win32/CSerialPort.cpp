// SPDX-License-Identifier: GPL-3.0-or-later
// The Win32 half of CSerialPort: overlapped I/O on "\\.\COMn". The monitor thread waits on
// the shutdown event, the write-request event and the port's event (a pending read of one
// byte), in that order of priority. Reads and writes have an OVERLAPPED record each: a write
// must never reuse the record of a read that is still pending.
#include "link/CSerialPort.h"

#include <windows.h>
// <windows.h> defines WM_TIMER, which is also the name of one of our notification kinds.
#undef WM_TIMER

#include <algorithm>
#include <chrono>
#include <span>

#include "base/StringPrintf.h"
#include "base/win32/WideText.h"
#include "platform/DiagnosticLog.h"
#include "platform/NotificationQueue.h"

namespace vantrel {

namespace {

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kWantedEvents = EV_RXCHAR | EV_CTS;
// How often the input queue is looked at while a frame comes in.
constexpr DWORD kLookMs = 1;
// How many bytes' time the line must have had before a look judges that it slowed down.
constexpr double kJudgeBytes = 3;
// The most line time a read waits for while the line runs at full speed.
constexpr std::uint32_t kBatchesPerSecond = 16;

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
        read.hEvent = ManualResetEvent();
        write.hEvent = ManualResetEvent();
    }
    ~Native() {
        CloseIfSet(read.hEvent);
        CloseIfSet(write.hEvent);
        CloseIfSet(writeEvent);
        CloseIfSet(port);
        CloseIfSet(shutdownEvent);
    }
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    bool EventsCreated() const {
        return shutdownEvent != nullptr && writeEvent != nullptr && read.hEvent != nullptr &&
               write.hEvent != nullptr;
    }

    HANDLE port = nullptr;
    HANDLE shutdownEvent = nullptr;
    HANDLE writeEvent = nullptr;
    OVERLAPPED read{};
    OVERLAPPED write{};
    // The read that waits for the next byte to arrive: the port's event.
    std::uint8_t firstByte = 0;
    bool readPending = false;
    bool haveFirstByte = false;        // the read has ended with a byte that is not posted yet
    std::uint32_t bytesPerSecond = 0;  // what the line carries at its baud rate (10 bits a byte)
};

namespace {

// Ends the read that is the port's event: it refers to its record and buffer, which must
// not be reused before it has ended. What it may have read is dropped.
void CancelPendingRead(HANDLE port, OVERLAPPED& read, bool& pending) {
    if (!pending) return;
    CancelIoEx(port, &read);
    DWORD ignored = 0;
    GetOverlappedResult(port, &read, &ignored, TRUE);
    pending = false;
}

}  // namespace

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
    native_->bytesPerSecond = static_cast<std::uint32_t>(baudRate) / 10;
    // No read time-outs: the monitor's read of one byte waits for the next byte however
    // long the line is silent, and the other reads take only what is queued. A write may
    // take 100 ms plus 20 ms a character.
    COMMTIMEOUTS timeouts{};
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
    } else if (!SetCommMask(port, kWantedEvents)) {
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

// The port's event is a read of one byte that waits for the next byte to arrive: it ends
// when data comes, without a watch on the line in between (a port event wait costs a thread
// and a poll every millisecond under wine) and without a time-out that wakes the thread
// while the line is silent.
void CSerialPort::MonitorThread() {
    HANDLE port = native_->port;
    PurgeComm(port, kPurgeAll);
    bool reading = true;
    while (!shutdown_) {
        if (reading && !native_->readPending) {
            DWORD got = 0;
            if (ReadFile(port, &native_->firstByte, 1, &got, &native_->read)) {
                // Something was queued already: take it, then look at the other events.
                native_->haveFirstByte = got == 1;
                reading = ReceiveAvailable();
                WritePending();
                continue;
            }
            if (const DWORD error = GetLastError(); error == ERROR_IO_PENDING) {
                native_->readPending = true;
            } else {
                ReportPortError("ReadFile()", static_cast<int>(error));
                reading = false;
            }
        }
        HANDLE handles[3] = {native_->shutdownEvent, native_->writeEvent, native_->read.hEvent};
        const DWORD woke =
            WaitForMultipleObjects(native_->readPending ? 3 : 2, handles, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0) break;
        if (woke == WAIT_FAILED) {
            ReportPortError("WaitForMultipleObjects()", static_cast<int>(GetLastError()));
            break;
        }
        if (woke == WAIT_OBJECT_0 + 2) {
            native_->readPending = false;
            DWORD got = 0;
            if (GetOverlappedResult(port, &native_->read, &got, FALSE)) {
                native_->haveFirstByte = got == 1;
                reading = ReceiveAvailable();
            } else if (const DWORD error = GetLastError(); error != ERROR_OPERATION_ABORTED) {
                // The device has vanished: stop reading, so the thread does not spin on it;
                // the transport times out.
                ReportPortError("GetOverlappedResults() in ReadFile()", static_cast<int>(error));
                reading = false;
            }
        }
        // A port that never falls silent must not hold a request back: the write is checked
        // on every turn, not only when its event wins the wait.
        WritePending();
    }
    CancelPendingRead(native_->port, native_->read, native_->readPending);
}

// Takes the byte the port's event read (if any) and what follows it, and posts them a read
// at a time. While a frame comes in, the input queue is looked at every millisecond (a look
// costs little, a read a great deal under wine) and read once the line slows down, which is
// where a frame ends, or once it holds a batch. A NUL ends every frame and nothing follows
// it until the next request, so a read that ends in one goes back to the port's event at
// once; so does a line silent since the last look.
bool CSerialPort::ReceiveAvailable() {
    HANDLE port = native_->port;
    std::uint8_t buffer[4096];
    std::size_t have = 0;
    if (native_->haveFirstByte) buffer[have++] = native_->firstByte;
    native_->haveFirstByte = false;
    const std::uint32_t batch =
        std::clamp<std::uint32_t>(native_->bytesPerSecond / kBatchesPerSecond, 1, 1024);
    DWORD lastQueued = 0;
    auto lastLook = std::chrono::steady_clock::now();
    for (;;) {
        DWORD lineErrors = 0;
        COMSTAT status{};
        if (!ClearCommError(port, &lineErrors, &status)) {
            // The device has vanished: stop reading, so the thread does not spin on it; the
            // transport times out.
            if (have > 0) queue_.PostReceived(owner_, {buffer, have}, portNumber_);
            ReportPortError("ClearCommError()", static_cast<int>(GetLastError()));
            return false;
        }
        DWORD queued = status.cbInQue;
        const auto now = std::chrono::steady_clock::now();
        // Less than half of what the line can carry arrived since the last look, judged only
        // once the line could have carried a few bytes: a short sleep or a sender that
        // writes in bursts must not make a frame look ended.
        const double lineBytes =
            native_->bytesPerSecond * std::chrono::duration<double>(now - lastLook).count();
        const bool judged = lineBytes >= kJudgeBytes;
        const double growth = static_cast<double>(queued) - static_cast<double>(lastQueued);
        const bool slowed = judged && 2.0 * growth < lineBytes;
        const bool silent = queued == 0 && lastQueued == 0 && slowed;
        bool read = false;
        if (queued > 0 && (slowed || queued >= batch)) {
            const DWORD wanted = std::min<DWORD>(queued, static_cast<DWORD>(sizeof buffer - have));
            DWORD got = 0;
            if (!ReadFile(port, buffer + have, wanted, &got, &native_->read)) {
                const DWORD error = GetLastError();
                if (error == ERROR_IO_PENDING) {
                    if (!GetOverlappedResult(port, &native_->read, &got, TRUE)) {
                        ReportPortError("GetOverlappedResults() in ReadFile()",
                                        static_cast<int>(GetLastError()));
                        return false;
                    }
                } else {
                    ReportPortError("ReadFile()", static_cast<int>(error));
                    return false;
                }
            }
            have += got;
            queued -= std::min(queued, got);
            read = true;
        }
        bool frameEnded = false;
        if (have > 0) {
            queue_.PostReceived(owner_, {buffer, have}, portNumber_);
            frameEnded = buffer[have - 1] == 0;
            have = 0;
        }
        if (queued == 0 && (frameEnded || silent)) return true;
        if (read || judged) {
            lastQueued = queued;
            lastLook = now;
        }
        // A request waiting to go out ends the read loop; its purge discards the rest.
        if (shutdown_ || WriteWaiting()) return true;
        // A plain sleep: under wine it costs no round trip to its server, as a wait on the
        // events would.
        Sleep(kLookMs);
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
    // Every request starts a fresh exchange: input not read yet is discarded, a byte the
    // port's event read meanwhile included.
    CancelPendingRead(native_->port, native_->read, native_->readPending);
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
