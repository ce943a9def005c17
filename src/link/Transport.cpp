// SPDX-License-Identifier: GPL-3.0-or-later
// The transport: one request, up to three attempts, each waiting for its own reply.
#include <algorithm>
#include <functional>
#include <optional>

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

CLinkEngine::WaitOutcome CLinkEngine::WaitForReply(std::int64_t& firstHoldOffSecond,
                                                   const std::function<void()>& sendWhenClear) {
    IClock& clock = services_.clock;
    std::int64_t start = clock.WallSeconds();
    bool heldOff = false;
    std::optional<std::int64_t> cancelSecond;
    for (;;) {
        services_.queue.PumpMessage(ToNextSecond(clock));
        const std::int64_t now = clock.WallSeconds();
        // A wall clock set back would otherwise stretch the wait by the whole step.
        start = std::min(start, now);
        if (firstHoldOffSecond > now) firstHoldOffSecond = now;
        if (cancelSecond && *cancelSecond > now) cancelSecond = now;
        if (assembler_.ReplyReady() && TakeLateAnswer()) {
            // The line is free again: an attempt that held back its frame sends it now.
            sendWhenClear();
            continue;
        }
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
        // A cancel bounds every wait by the time-out, counted from the cancel: the answer
        // on its way is still taken (it would otherwise meet the next request), but a
        // logger that holds off is not waited for any longer.
        if (cancel_ && !cancelSecond) cancelSecond = now;
        if (cancelSecond && now - *cancelSecond > kTimeOutSeconds) {
            services_.log.Line("Cancelled while the logger held off");
            return {false, true};
        }
    }
}

bool CLinkEngine::TakeLateAnswer() {
    const std::string& reply = CurrentReply();
    const auto late = std::find_if(abandonedIds_.begin(), abandonedIds_.end(), [&](auto id) {
        return id != expectedId_ && AnswersId(reply, id);
    });
    if (late == abandonedIds_.end()) return false;
    services_.log.Line("Late answer to a cancelled request, dropped: " + reply);
    // A hold-off promises the answer still to come.
    if (!IsHoldOff(reply, *late)) abandonedIds_.erase(late);
    assembler_.ClearReplyReady();
    return true;
}

bool CLinkEngine::EndCancelled(bool answered) {
    if (!answered) {
        // Its answer may still come: it is known for what it is when it does.
        if (abandonedIds_.size() == kRememberedAbandoned)
            abandonedIds_.erase(abandonedIds_.begin());
        abandonedIds_.push_back(expectedId_);
    }
    services_.log.Line("Communications Closed");
    PostStatus(0, std::string("Communications Closed"));
    cancel_ = false;
    ++cancelsHonoured_;
    return false;
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
    bool sent = false;
    // A reply frame half received is waited for instead of being cut off by a send.
    const auto sendWhenClear = [&] {
        if (sent || assembler_.FrameLength() != 0) return;
        SendFrame(frame);
        sent = true;
        if (attemptsLeft == kAttempts) {
            transferBytes_ += static_cast<std::uint32_t>(frame.size() + 1);
        }
    };
    for (;;) {
        assembler_.ClearReplyReady();
        lastReplyStatus_.reset();
        sent = false;
        sendWhenClear();
        const WaitOutcome outcome = WaitForReply(firstHoldOffSecond, sendWhenClear);
        bool accepted = false;
        if (outcome.replyReady) {
            ReplyStatus status = ReplyStatus::Malformed;
            // What comes after a cancel is never shown: the request ends as cancelled.
            accepted = ParseReply(attemptsLeft == 1 && !cancel_, status);
            lastReplyStatus_ = status;
        }
        // A cancel ends the request however its wait ended: no retry, no error counted.
        if (cancel_) {
            if (connecting_ && accepted) return true;
            return EndCancelled(outcome.replyReady);
        }
        if (outcome.replyReady) {
            if (accepted) return true;
            if (lastReplyStatus_ == ReplyStatus::Malformed) {
                ++transferErrors_;
                services_.log.Line("Malformed Packets");
                PostStatus(0, std::string("Malformed packets - Sync error"));
                PostErrors();
            }
            if (lastReplyStatus_ == ReplyStatus::EndOfList) return false;
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
        if (attemptsLeft > 0) continue;
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
