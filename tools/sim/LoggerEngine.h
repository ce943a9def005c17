// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simulated logger as a byte-in/byte-out protocol engine, free of any I/O: feed it the
// bytes the master sent, get back the reply frames to send and when to send them.
//
// - Frames with a bad LRC or a malformed header get no reply at all: the logger cannot
//   trust the id of such a frame, and the master recovers by its time-out and retry.
// - Retries are idempotent: the master re-sends the identical frame (same id, same body)
//   after a time-out or a bad reply. A frame identical to the last one executed is not
//   executed again; its stored reply is sent again. So a repeated Read File Block re-sends
//   the same block, a repeated Write File Block does not append twice, and repeated
//   Create / Close / Delete / Get Next File Info requests do not act twice.
// - Faults (FaultPlan) alter only what is sent: a NAK fault refuses the request before it
//   takes effect; drop, bad LRC, stale id and hold-off follow the real execution, whose
//   stored reply the retry receives.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/CommandProcessor.h"
#include "sim/FaultPlan.h"
#include "sim/LoggerFileSystem.h"

namespace vantrel::sim {

struct TimedReply {
    std::chrono::milliseconds delay{0};  // after the request arrived
    std::string bytes;                   // one whole frame, NUL included
};

// What the engine did with one complete frame.
struct Exchange {
    std::string request;              // the frame's bytes as received, NUL included
    std::vector<TimedReply> replies;  // in sending order; empty when nothing is sent
    std::string note;                 // "" for a plain answer, else what was unusual
};

class LoggerEngine {
public:
    explicit LoggerEngine(LoggerFileSystem files, FaultOptions faults = {},
                          std::function<CivilTime()> now = CurrentCivilTimeUtc);

    LoggerEngine(const LoggerEngine&) = delete;
    LoggerEngine& operator=(const LoggerEngine&) = delete;

    struct Output {
        std::vector<Exchange> exchanges;
        std::size_t ignoredBytes = 0;  // line noise outside frames, dropped oversize frames
    };

    // Feeds bytes from the line; returns what to do for every frame they completed.
    Output Receive(std::string_view bytes);

    const LoggerFileSystem& files() const { return files_; }

private:
    Exchange HandleFrame(std::string frameText);

    LoggerFileSystem files_;
    FaultPlan faults_;
    CommandProcessor processor_;
    FrameAssembler assembler_;
    std::string previousFrame_;  // last well-formed frame received
    std::string executedFrame_;  // last frame executed, and its reply payload
    std::string executedPayload_;
    std::uint32_t requestsHeard_ = 0;  // well-formed frames answered or faulted
};

}  // namespace vantrel::sim
