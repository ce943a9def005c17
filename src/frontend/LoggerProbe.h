// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the logger: which serial port it is on and at which rate it talks. Each port is
// opened at 38400, 19200 and 9600 baud in turn; at each rate the Connect request goes out
// once, with a short time-out, and when the logger answers Close Link ends the
// conversation. Nothing else is ever sent. The search stops at the first answer, and a
// cancel stops it at once. It runs on the link engine of the front end (the one that may
// hold the port open), on the thread that pumps the engine's queue.

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "frontend/SerialPorts.h"
#include "link/LinkEngine.h"

namespace vantrel {

inline constexpr std::array<int, 3> kProbeRates = {38400, 19200, 9600};
// A logger answers Connect within a few milliseconds; the time-out covers the latency of
// a USB adapter many times over and keeps the whole search short.
inline constexpr std::chrono::milliseconds kProbeTimeOut{500};
// kProbeTimeOut, or the milliseconds VANTREL_TEST_PROBE_TIMEOUT_MS names: a simulated logger
// on a busy test machine may be held up for longer than a real one ever is.
std::chrono::milliseconds DefaultProbeTimeOut();

struct PortProbeResult {
    enum class State { NotTried, NoAnswer, Answered, CannotOpen };
    std::string port;         // as listed ("ttyUSB0") or given (a path)
    std::string description;  // "USB-Serial Controller", may be empty
    State state = State::NotTried;
    int baudRate = 0;    // Answered: the rate it answered at
    std::string reason;  // CannotOpen: why, for the user
};

struct ProbeReport {
    std::vector<PortProbeResult> ports;  // in the order tried
    std::optional<LinkSettings> found;   // the port and rate that answered
    bool cancelled = false;
};

class LoggerProbe {
public:
    // Called before each try: the port, the rate, and the try's number of all (from 1).
    using Progress =
        std::function<void(const std::string& port, int baudRate, int step, int steps)>;

    explicit LoggerProbe(CLinkEngine& engine) : engine_(engine) {}

    void SetProgress(Progress progress) { progress_ = std::move(progress); }
    void SetTimeOut(std::chrono::milliseconds timeOut) { timeOut_ = timeOut; }

    // Tries `ports` in order. The engine's cancel flag is cleared first and after; its
    // notification target is left as it was. The engine keeps the last port it opened.
    ProbeReport Run(const std::vector<SerialPortListing>& ports);
    // Stops the search at the engine's next look (owner thread: a handler the queue runs).
    // Setting the engine's cancel flag does the same.
    void Cancel();
    bool IsRunning() const { return running_; }

private:
    bool Stopped();

    CLinkEngine& engine_;
    Progress progress_;
    std::chrono::milliseconds timeOut_ = DefaultProbeTimeOut();
    bool running_ = false;
    bool cancelled_ = false;
};

// The "Baud Rate" setting's index of a rate (0, 1, 2), or nothing for another rate.
std::optional<int> BaudIndexOfRate(int baudRate);

// One line per port tried ("ttyUSB0 (USB-Serial): the logger answered at 19200 baud") and
// the conclusion for the user.
std::vector<std::string> ProbeReportLines(const ProbeReport& report);
std::string ProbeConclusion(const ProbeReport& report);

}  // namespace vantrel
