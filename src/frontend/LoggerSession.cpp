// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/LoggerSession.h"

namespace vantrel {

LoggerSession::LoggerSession(LinkServices services, CLoggerOperations::LinkSettingsSource link,
                             SerialPortFactory portFactory)
    : services_(services),
      link_(std::move(link)),
      engine_(services, std::move(portFactory)),
      operations_(engine_, services.prompt, link_) {}

LoggerSession::~LoggerSession() {
    services_.queue.Discard(&engine_);
}

std::string LoggerSession::ExplainOpenFailure(PortAdvice advice) const {
    const PortOpenFailure& failure = engine_.LastOpenFailure();
    if (failure.error == PortOpenError::None) return {};
    const std::vector<std::string> ports = failure.error == PortOpenError::NotFound
                                               ? AvailablePortNames()
                                               : std::vector<std::string>{};
    return ExplainPortFailure(failure, ports, advice);
}

}  // namespace vantrel
