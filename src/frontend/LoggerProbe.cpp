// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/LoggerProbe.h"

#include <cstdlib>

#include "base/StringPrintf.h"
#include "link/PortOpenError.h"

namespace vantrel {
namespace {

// The target's status texts belong to the operations: while the probe runs, nothing is
// posted, and the target is given back after it, however the run ends.
class TargetPause {
public:
    explicit TargetPause(CLinkEngine& engine) : engine_(engine), target_(engine.Target()) {
        engine_.SetTarget(nullptr);
    }
    ~TargetPause() { engine_.SetTarget(target_); }
    TargetPause(const TargetPause&) = delete;
    TargetPause& operator=(const TargetPause&) = delete;

private:
    CLinkEngine& engine_;
    INotificationTarget* target_;
};

std::string PortName(const PortProbeResult& port) {
    return port.description.empty() ? port.port : port.port + " (" + port.description + ")";
}

std::string RatesText() {
    std::string text;
    for (std::size_t k = 0; k < kProbeRates.size(); ++k) {
        if (k > 0) text += k + 1 == kProbeRates.size() ? " or " : ", ";
        text += std::to_string(kProbeRates[k]);
    }
    return text;
}

}  // namespace

std::chrono::milliseconds DefaultProbeTimeOut() {
    const char* named = std::getenv("VANTREL_TEST_PROBE_TIMEOUT_MS");
    const long value = named != nullptr ? std::strtol(named, nullptr, 10) : 0;
    return value > 0 ? std::chrono::milliseconds(value) : kProbeTimeOut;
}

ProbeReport LoggerProbe::Run(const std::vector<SerialPortListing>& ports) {
    ProbeReport report;
    const TargetPause pause(engine_);
    const CLinkEngine::OperationScope operation(engine_);
    running_ = true;
    cancelled_ = false;
    engine_.SetCancel(false);
    const int steps = static_cast<int>(ports.size() * kProbeRates.size());
    int step = 0;
    for (const SerialPortListing& listing : ports) {
        PortProbeResult result{
            listing.name, listing.description, PortProbeResult::State::NotTried, 0, {}};
        if (report.found || Stopped()) {
            report.ports.push_back(std::move(result));
            continue;
        }
        for (std::size_t k = 0; k < kProbeRates.size() && !Stopped(); ++k) {
            const int rate = kProbeRates[k];
            ++step;
            if (progress_) progress_(listing.name, rate, step, steps);
            if (!engine_.OpenLink(listing.name, rate)) {
                // What keeps the port shut keeps it shut at every rate.
                result.state = PortProbeResult::State::CannotOpen;
                result.reason = DescribePortOpenFailure(engine_.LastOpenFailure());
                step += static_cast<int>(kProbeRates.size() - 1 - k);
                break;
            }
            if (engine_.ProbeConnect(timeOut_)) {
                result.state = PortProbeResult::State::Answered;
                result.baudRate = rate;
                engine_.CloseLink();
                report.found = LinkSettings{listing.name, rate};
                break;
            }
            if (!Stopped()) result.state = PortProbeResult::State::NoAnswer;
        }
        report.ports.push_back(std::move(result));
    }
    report.cancelled = Stopped() && !report.found;
    engine_.SetCancel(false);
    running_ = false;
    return report;
}

bool LoggerProbe::Stopped() {
    // The front end may cancel through the probe or, like any operation, the engine.
    cancelled_ = cancelled_ || engine_.IsCancelled();
    return cancelled_;
}

void LoggerProbe::Cancel() {
    if (!running_) return;
    cancelled_ = true;
    engine_.SetCancel(true);
}

std::optional<int> BaudIndexOfRate(int baudRate) {
    for (int index = 0;; ++index) {
        const std::optional<int> rate = BaudRateFromIndex(index);
        if (!rate) return std::nullopt;
        if (*rate == baudRate) return index;
    }
}

std::vector<std::string> ProbeReportLines(const ProbeReport& report) {
    std::vector<std::string> lines;
    for (const PortProbeResult& port : report.ports) {
        switch (port.state) {
            case PortProbeResult::State::Answered:
                lines.push_back(StringPrintf("%s: the logger answered at %d baud",
                                             PortName(port).c_str(), port.baudRate));
                break;
            case PortProbeResult::State::NoAnswer:
                lines.push_back(PortName(port) + ": no answer at " + RatesText() + " baud");
                break;
            case PortProbeResult::State::CannotOpen:
                lines.push_back(PortName(port) + ": cannot be opened: " + port.reason);
                break;
            case PortProbeResult::State::NotTried:
                lines.push_back(PortName(port) + ": not tried");
                break;
        }
    }
    return lines;
}

std::string ProbeConclusion(const ProbeReport& report) {
    if (report.found) {
        return StringPrintf("The logger answered on %s at %d baud.", report.found->port.c_str(),
                            report.found->baudRate);
    }
    if (report.cancelled) return "The search was cancelled; nothing was changed.";
    if (report.ports.empty()) return "No serial ports were found on this computer.";
    return "No logger answered on any port at " + RatesText() +
           " baud; nothing was changed. Check that the logger is connected and switched on.";
}

}  // namespace vantrel
