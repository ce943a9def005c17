// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Serves the logger engine on the pseudo-terminal until a stop signal (or idle time-out):
// reads request bytes, hands them to the engine at the pace of the line, and sends the
// replies through the paced line, logging both directions.

#include <chrono>
#include <cstdint>

#include "sim/LoggerEngine.h"
#include "sim/PacedLine.h"
#include "sim/TrafficLog.h"

namespace vantrel::sim {

class SimServer {
public:
    // `stopFd` becomes readable when the server must stop (a signalfd). `strictBaud`: the
    // program is heard only while its side of the line is set to `baud`.
    SimServer(LoggerEngine& engine, int lineFd, int stopFd, std::uint32_t baud, TrafficLog* log,
              bool strictBaud = false);

    // Runs until the stop descriptor fires or nothing arrived for `idleLimit` (zero: no limit).
    void Run(std::chrono::seconds idleLimit);

private:
    using Clock = std::chrono::steady_clock;

    // Reads what is waiting; false when the line has no reader (hang-up) right now.
    bool ReadLine(Clock::time_point now);
    void Accept(std::string_view bytes, Clock::time_point now);

    LoggerEngine& engine_;
    int lineFd_;
    int stopFd_;
    std::chrono::nanoseconds byteTime_;
    PacedLine line_;
    TrafficLog* log_;
    // The rate the program has set its side of the line to (0: one we cannot name).
    std::uint32_t ProgramRate() const;

    std::uint32_t baud_;
    bool strictBaud_;
    Clock::time_point receivedUntil_{};  // when the bytes read so far would have arrived
    Clock::time_point lastActivity_;
};

}  // namespace vantrel::sim
