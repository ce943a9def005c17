// SPDX-License-Identifier: GPL-3.0-or-later
// The transport: one request, up to three attempts, each waiting for its own reply.
#include <algorithm>

#include "base/StringPrintf.h"
#include "link/LinkEngine.h"
#include "link/Requests.h"

namespace vantrel {

namespace {
constexpr const char* kTimedOutText = "Timed out ! Attempting to re-send command:";
constexpr const char* kNakText = "Possible NAK! Attempting to re-send command:";
constexpr const char* kFatalText = "Fatal errors, connection timed out";
// After a refusal on the last attempt the logger answered: it is no time-out, and its own
// answer ("Invalid Filename", ...) follows this text.
constexpr const char* kRefusedText = "Fatal errors, the vantrel refused the command:";

// Milliseconds to the next wall-clock second: the time-out counts whole seconds, so the
// wait never needs to wake earlier unless something arrives.
std::chrono::milliseconds ToNextSecond(const IClock& clock) {
    const std::int64_t ms = clock.WallMilliseconds();
    const std::int64_t intoSecond = ((ms % 1000) + 1000) % 1000;
    return std::chrono::milliseconds(1000 - intoSecond);
}
}  // namespace

void CLinkEngine::SendFrame(const std::string& frame) {
    if (trace_) trace_->Sent(frame + '\0');
    port_->SendText(frame);
}

CLinkEngine::WaitOutcome CLinkEngine::WaitForReply(std::int64_t& firstHoldOffSecond) {
    IClock& clock = services_.clock;
    std::int64_t start = clock.WallSeconds();
    bool heldOff = false;
    for (;;) {
        services_.queue.PumpMessage(ToNextSecond(clock));
        const std::int64_t now = clock.WallSeconds();
        // A wall clock set back would otherwise stretch the wait by the whole step.
        start = std::min(start, now);
        if (firstHoldOffSecond > now) firstHoldOffSecond = now;
        if (assembler_.ReplyReady() && IsHoldOffReply()) {
            // The logger is busy: no time-out runs until its next frame.
            services_.log.Line("Its a holdoff response, recalculate the timeout");
            assembler_.ClearReplyReady();
            heldOff = true;
            if (firstHoldOffSecond < 0) firstHoldOffSecond = now;
            continue;
        }
        // While a hold-off stands the time-out restarts at every turn, so the frame that
        // follows it is never late, however long the logger took.
        if (assembler_.ReplyReady()) return {true, !heldOff && now - start > kTimeOutSeconds};
        if (!heldOff && now - start > kTimeOutSeconds) return {false, true};
        if (heldOff && now - firstHoldOffSecond > kHoldOffLimitSeconds) {
            services_.log.Line("No answer after the hold-off, giving up the wait");
            return {false, true};
        }
        if (heldOff && cancel_) {
            services_.log.Line("Cancelled while the logger held off");
            return {false, true};
        }
    }
}

bool CLinkEngine::Transact(std::string_view body) {
    lastReplyStatus_.reset();
    if (port_ == nullptr) {
        services_.log.Line("No serial port is open");
        PostStatus(0, std::string(kFatalText));
        return false;
    }
    const std::string frame = BuildRequest(body);
    const int attempts = singleAttempt_ ? 1 : kAttempts;
    int attemptsLeft = attempts;
    std::int64_t firstHoldOffSecond = -1;
    for (;;) {
        assembler_.ClearReplyReady();
        lastReplyStatus_.reset();
        // A reply frame half received is waited for instead of being cut off by a send.
        if (assembler_.FrameLength() == 0) {
            SendFrame(frame);
            if (attemptsLeft == kAttempts) {
                transferBytes_ += static_cast<std::uint32_t>(frame.size() + 1);
            }
        }
        const WaitOutcome outcome = WaitForReply(firstHoldOffSecond);
        if (outcome.replyReady) {
            ReplyStatus status = ReplyStatus::Malformed;
            const bool accepted = ParseReply(attemptsLeft == 1, status);
            lastReplyStatus_ = status;
            if (cancel_) {
                if (connecting_ && accepted) return true;
                services_.log.Line("Communications Closed");
                PostStatus(0, std::string("Communications Closed"));
                cancel_ = false;
                return false;
            }
            if (accepted) return true;
            if (status == ReplyStatus::Malformed) {
                ++transferErrors_;
                services_.log.Line("Malformed Packets");
                PostStatus(0, std::string("Malformed packets - Sync error"));
                PostErrors();
            }
            if (status == ReplyStatus::EndOfList) return false;
        }
        ++transferErrors_;
        --attemptsLeft;
        // A refusal that came late is still a refusal, never a time-out.
        const bool refused = lastReplyStatus_ == ReplyStatus::Nak;
        const std::string retryText =
            StringPrintf("%s %d", outcome.timedOut && !refused ? kTimedOutText : kNakText,
                         attempts - attemptsLeft);
        services_.log.Line(retryText);
        PostStatus(kKeepProgress, retryText);
        PostErrors();
        if (attemptsLeft > 0 && !cancel_) continue;
        if (refused) {
            const int code = static_cast<int>(ReplyHex(CurrentReply(), 8, 2));
            if (!firstRefusal_) firstRefusal_ = code;
            PostStatus(0,
                       StringPrintf("%s %s", kRefusedText, std::string(ErrorText(code)).c_str()));
            return false;
        }
        PostStatus(0, std::string(kFatalText));
        return false;
    }
}

bool CLinkEngine::OpenCommsLink() {
    PostStatus(0, std::string("Attempting to Connect"));
    assembler_.Reset();
    connecting_ = true;
    const bool connected = Transact(request::Connect());
    connecting_ = false;
    if (!connected) return false;
    PostStatus(0, std::string("Connection Established"));
    return true;
}

bool CLinkEngine::ProbeConnect(std::chrono::milliseconds timeOut) {
    lastReplyStatus_.reset();
    if (port_ == nullptr || cancel_) return false;
    assembler_.Reset();
    assembler_.ClearReplyReady();  // a reply taken before is no answer to this request
    const std::string frame = BuildRequest(request::Connect());
    SendFrame(frame);
    transferBytes_ += static_cast<std::uint32_t>(frame.size() + 1);
    IClock& clock = services_.clock;
    const std::int64_t deadline = clock.TickMilliseconds() + timeOut.count();
    for (;;) {
        if (assembler_.ReplyReady()) {
            if (IsHoldOffReply()) {
                lastReplyStatus_.reset();
                return true;  // busy, but there
            }
            ReplyStatus status = ReplyStatus::Malformed;
            const bool accepted = ParseReply(false, status);
            lastReplyStatus_ = status;
            if (accepted || status != ReplyStatus::Malformed) return true;
            // Noise, or a reply to something else: keep listening until the deadline.
            assembler_.ClearReplyReady();
        }
        const std::int64_t left = deadline - clock.TickMilliseconds();
        if (left <= 0 || cancel_) return false;
        services_.queue.PumpMessage(std::chrono::milliseconds(left));
    }
}

}  // namespace vantrel
