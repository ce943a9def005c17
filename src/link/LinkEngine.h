// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The communications engine: it owns the serial port, the reply assembly, the transport and
// the logger's file-system requests. It runs on one thread (the GUI's, or the CLI's main
// thread): the port's monitor thread reaches it only through posted notifications, which
// the transport's wait pumps. Pages, the CLI and the operations call it directly.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/LineTrace.h"
#include "link/PortOpenError.h"
#include "link/ReplyAssembler.h"
#include "link/ReplyParser.h"
#include "link/SerialPort.h"
#include "platform/Clock.h"
#include "platform/DiagnosticLog.h"
#include "platform/NotificationQueue.h"
#include "platform/Prompt.h"

namespace vantrel {

struct LinkServices {
    INotificationQueue& queue;
    IClock& clock;
    IPrompt& prompt;
    IDiagnosticLog& log;
};

// Where and how fast to talk to the logger (the "Port" and "Baud Rate" settings).
struct LinkSettings {
    std::string port;  // "ttyUSB0", "/dev/ttyUSB0", a simulator's link path
    int baudRate = 9600;
};

// 9600, 19200, 38400 for the "Baud Rate" indexes 0, 1, 2; nothing for any other index.
std::optional<int> BaudRateFromIndex(int index);

class CLinkEngine final : public INotificationTarget {
public:
    static constexpr int kAttempts = 3;
    static constexpr std::int64_t kTimeOutSeconds = 2;        // "more than 2 whole seconds"
    static constexpr std::int64_t kHoldOffLimitSeconds = 60;  // total wait after a hold-off
    static constexpr std::uint32_t kRateTimerId = 100;

    explicit CLinkEngine(LinkServices services,
                         SerialPortFactory portFactory = DefaultSerialPortFactory());
    ~CLinkEngine() override;
    CLinkEngine(const CLinkEngine&) = delete;
    CLinkEngine& operator=(const CLinkEngine&) = delete;

    // WM_SERIAL_RXCHAR -> OnReceiveChar, WM_TIMER(100) -> OnRateTimer,
    // WM_SERIAL_FAILURE -> OnPortFailure.
    void OnNotification(const Notification& notification) override;

    // Marks an operation (a backup, a restore, a listing, a search for the logger) as
    // running for its lifetime; scopes may nest.
    class OperationScope {
    public:
        explicit OperationScope(CLinkEngine& engine) : engine_(engine) {
            ++engine_.operationDepth_;
        }
        ~OperationScope() { --engine_.operationDepth_; }
        OperationScope(const OperationScope&) = delete;
        OperationScope& operator=(const OperationScope&) = delete;

    private:
        CLinkEngine& engine_;
    };
    bool IsOperationRunning() const { return operationDepth_ > 0; }

    // The port reported a failure (`report` is already in the diagnostic log). While an
    // operation runs it is shown ("Application Error"), as the user waits on that port.
    // Otherwise nobody is using the port (the adapter was pulled out, the logger switched
    // off between operations): no box, the port is closed, so that the device is free to
    // come back under its name, and the next operation opens it again.
    void OnPortFailure(const std::string& report);

    // --- port -------------------------------------------------------------------------
    // Replaces the port with a freshly opened and monitored one. A baud rate other than
    // 9600/19200/38400 fails at once and keeps the existing port; any other failure leaves
    // no port. Why it failed: LastOpenFailure().
    bool OpenLink(const std::string& port, int baudRate);
    const PortOpenFailure& LastOpenFailure() const { return lastOpenFailure_; }
    bool HasOpenPort() const;

    // --- framing and replies ------------------------------------------------------------
    int OnReceiveChar(std::uint8_t byte, std::uint32_t portNumber);
    std::uint16_t NextMessageId();
    std::uint16_t ExpectedId() const { return expectedId_; }
    std::string BuildRequest(std::string_view body);
    // Checks the current reply; shows its message through the prompt when asked.
    bool ParseReply(bool showMessages, ReplyStatus& status);
    bool IsHoldOffReply() const;
    static std::string_view ErrorText(int code) { return vantrel::ErrorText(code); }
    const std::string& CurrentReply() const { return assembler_.CurrentReply(); }

    // --- transport ----------------------------------------------------------------------
    // Sends one request body and waits for its answer: true for ACK or data (the reply is
    // then in CurrentReply()), false otherwise. A cancel ends the request after the wait
    // it falls into, whatever ended that wait ("Communications Closed", no error counted,
    // the cancel flag cleared), but an accepted Connect; the wait then lasts at most the
    // time-out from the cancel, also while the logger holds off.
    bool Transact(std::string_view body);
    bool OpenCommsLink();
    // Finding the logger: sends Connect once and waits at most `timeOut` for its answer,
    // with no retry, no status posted and no message shown. True when a well-formed reply
    // to it came back (ACK, NAK, data or a hold-off: a logger on this port at this rate);
    // LastReplyStatus() then tells which, but for a hold-off. Cancel ends the wait.
    bool ProbeConnect(std::chrono::milliseconds timeOut);
    // How the last Transact ended: the status of the reply it checked last, or nothing when
    // it ended without a reply (time-out, no port).
    std::optional<ReplyStatus> LastReplyStatus() const { return lastReplyStatus_; }
    // The logger's error code of the first request it refused since ClearRefusal(): a NAK
    // (other than "no more files") to the last attempt, with no cancel pending. Nothing
    // when no request was refused (time-outs, bad replies and cancels are no refusals).
    std::optional<int> FirstRefusal() const { return firstRefusal_; }
    void ClearRefusal() { firstRefusal_.reset(); }
    // How many requests a cancel has ended so far ("Communications Closed"): an operation
    // compares it with the count at its start to tell a cancel from a failure.
    std::uint32_t CancelsHonoured() const { return cancelsHonoured_; }

    // --- logger file-system commands ------------------------------------------------------
    bool CloseLink();
    bool GetFileCount(int& count);
    bool GetFirstFileInfo(std::string& name, std::uint32_t& size);
    bool GetNextFileInfo(std::string& name, std::uint32_t& size);
    bool DeleteLoggerFile(const std::string& name);
    // Downloads one file as hexadecimal text; `content` also holds what was read before a
    // failure.
    bool RetrieveFile(const std::string& name, std::uint32_t size, std::string& content);
    // Creates the file on the logger and writes the hexadecimal text `content`.
    bool UploadFile(const std::string& name, std::string_view content);
    // Closes the handle of an upload that was left suspended (its UploadFile never returns:
    // the process is ending from inside one of its waits), so that the file can be deleted.
    // True when there was none or it was closed.
    bool CloseSuspendedUpload();

    // The operation prologue: clear cancel, OpenLink, set the target, OpenCommsLink, with
    // the failure boxes and posts (none for a Connect that a cancel ended). Used by
    // ListFiles, DeleteFiles and the backup/restore.
    // `clearCancel` false leaves the cancel flag to the caller (the restore operation).
    bool OperationPrologue(INotificationTarget* target, const LinkSettings& settings,
                           bool clearCancel = true);
    bool ListFiles(INotificationTarget* target, const LinkSettings& settings,
                   std::vector<std::string>& names, std::vector<std::uint32_t>& sizes);
    // True once connected, whatever the deletions gave (a refusal stops them); `deleted`,
    // when given, receives how many of `names`, from the first, were deleted.
    bool DeleteFiles(INotificationTarget* target, const LinkSettings& settings,
                     const std::vector<std::string>& names, std::size_t* deleted = nullptr);

    // --- state shared with the pages and operations ----------------------------------------
    void SetCancel(bool cancel) { cancel_ = cancel; }
    bool IsCancelled() const { return cancel_; }
    bool IsConnecting() const { return connecting_; }

    std::uint32_t TransferErrorCount() const { return transferErrors_; }
    void SetTransferErrorCount(std::uint32_t count) { transferErrors_ = count; }
    std::uint32_t TransferByteCount() const { return transferBytes_; }
    void SetTransferByteCount(std::uint32_t count) { transferBytes_ = count; }

    void SetTarget(INotificationTarget* target) { target_ = target; }
    INotificationTarget* Target() const { return target_; }

    const std::string& StatusText() const { return statusText_; }
    void SetStatusText(std::string text) { statusText_ = std::move(text); }

    // Posts to the target (nothing when there is none). `text` empty optional: no text.
    void PostStatus(std::uint32_t progress, std::optional<std::string> text);
    // The same for a text that names the item of the current step (the file being
    // transferred), which screen readers are not told of (Notification::item).
    void PostItemStatus(std::uint32_t progress, std::string text);
    void PostErrors();

    // --- transfer rate ----------------------------------------------------------------------
    // Timer 100: every tick posts WM_LINK_RATE with the bytes per second since the previous
    // tick (none on the very first tick) and restarts the byte count.
    void StartRateTimer(std::chrono::milliseconds period);
    void StopRateTimer();
    void OnRateTimer();

    // --- diagnostics ------------------------------------------------------------------------
    // Writes every byte sent and received to `trace` (null: no trace).
    void SetTrace(std::unique_ptr<LineTrace> trace) { trace_ = std::move(trace); }

    LinkServices& services() { return services_; }

private:
    struct WaitOutcome {
        bool replyReady = false;
        bool timedOut = false;
    };
    // Waits for the reply to the request in flight; `sendWhenClear` sends its frame when
    // the attempt held it back for a frame half received that proved a late answer.
    WaitOutcome WaitForReply(std::int64_t& firstHoldOffSecond,
                             const std::function<void()>& sendWhenClear);
    // Drops the reply ready when it is the late answer (or hold-off) to a request given
    // up after a cancel; true when it was one.
    bool TakeLateAnswer();
    // The cancel path of a request: "Communications Closed", the cancel flag cleared, false.
    // `answered` false: the request is given up, and its answer is dropped if it comes.
    bool EndCancelled(bool answered);
    void SendFrame(const std::string& frame);
    void FailTransfer(const char* format, const std::string& name);

    LinkServices services_;
    SerialPortFactory portFactory_;
    std::unique_ptr<ISerialPort> port_;
    PortOpenFailure lastOpenFailure_;
    ReplyAssembler assembler_;
    std::unique_ptr<LineTrace> trace_;

    INotificationTarget* target_ = nullptr;
    std::string statusText_;
    std::uint16_t messageId_ = 0;
    std::uint16_t expectedId_ = 0;
    bool cancel_ = false;
    bool connecting_ = false;
    bool singleAttempt_ = false;
    std::optional<ReplyStatus> lastReplyStatus_;
    std::optional<int> firstRefusal_;
    std::optional<int> uploadHandle_;  // the logger's handle of the file being uploaded
    // Ids of requests given up after a cancel before their answer came, the latest last.
    static constexpr std::size_t kRememberedAbandoned = 4;
    std::vector<std::uint16_t> abandonedIds_;
    std::uint32_t cancelsHonoured_ = 0;
    std::uint32_t transferErrors_ = 0;
    std::uint32_t transferBytes_ = 0;
    std::int64_t previousRateTickMs_ = 0;
    bool rateTickKnown_ = false;
    int operationDepth_ = 0;
};

}  // namespace vantrel
