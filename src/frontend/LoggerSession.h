// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine both front ends run: the link engine wired to the front end's queue, clock,
// prompt and diagnostic log, and the logger operations on it with the port they open.
// Owner thread only: the thread that pumps the queue.

#include <string>

#include "frontend/SerialPorts.h"
#include "link/LinkEngine.h"
#include "ops/LoggerOperations.h"

namespace vantrel {

class LoggerSession {
public:
    // `link` is asked for the port and baud rate each time an operation opens the port, so
    // a changed setting takes effect at the next operation.
    LoggerSession(LinkServices services, CLoggerOperations::LinkSettingsSource link,
                  SerialPortFactory portFactory = DefaultSerialPortFactory());
    // Drops the engine's pending notifications and timers from the queue.
    ~LoggerSession();
    LoggerSession(const LoggerSession&) = delete;
    LoggerSession& operator=(const LoggerSession&) = delete;

    CLinkEngine& engine() { return engine_; }
    const CLinkEngine& engine() const { return engine_; }
    CLoggerOperations& operations() { return operations_; }
    // The port and baud rate the next operation opens.
    LinkSettings Link() const { return link_(); }

    // Why the last operation could not open its port and what to do about it; empty when
    // the port opened (or no operation tried).
    std::string ExplainOpenFailure(PortAdvice advice) const;

private:
    LinkServices services_;
    CLoggerOperations::LinkSettingsSource link_;
    CLinkEngine engine_;
    CLoggerOperations operations_;
};

}  // namespace vantrel
