// SPDX-License-Identifier: GPL-3.0-or-later
// The logger search over fake ports: the order of ports and rates, what it sends, ports that
// cannot be opened, no logger at all, cancelling, and the texts of its report.
#include <gtest/gtest.h>

#include <map>

#include "frontend/LoggerProbe.h"
#include "link/LinkTestSupport.h"
#include "link/PortName.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using test::AckBody;
using test::FakePort;
using test::ParseRequest;
using test::SlaveFrame;

// Fake ports by name: the logger sits on `loggerPort` and answers only at `loggerRate`;
// ports in `refused` cannot be opened. Records every open and every request body.
class ProbeTest : public testing::Test {
protected:
    ProbeTest()
        : engine(
              LinkServices{queue, clock, prompt, log},
              [this](const PortRequest& request,
                     PortOpenFailure& failure) -> std::unique_ptr<ISerialPort> {
                  opens.push_back(request.name + "@" + std::to_string(request.baudRate));
                  if (const auto refusal = refused.find(request.name); refusal != refused.end()) {
                      failure.error = refusal->second;
                      failure.device = DevicePathOf(request.name);
                      failure.group = "dialout";
                      return nullptr;
                  }
                  auto port = std::make_unique<FakePort>(*request.queue, request.owner, clock);
                  const bool logger = request.name == loggerPort && request.baudRate == loggerRate;
                  port->responder = [this, logger](FakePort& p, const std::string& frame) {
                      const auto parsed = ParseRequest(frame);
                      bodies.push_back(parsed ? parsed->body : "?");
                      if (logger && parsed) p.DeliverLater(20ms, SlaveFrame(parsed->id, AckBody()));
                  };
                  return port;
              }) {}

    FakeClock clock;
    NotificationQueue queue{clock};
    RecordingPrompt prompt;
    RecordingDiagnosticLog log;
    std::string loggerPort = "ttyUSB0";
    int loggerRate = 19200;
    std::map<std::string, PortOpenError> refused;
    std::vector<std::string> opens;
    std::vector<std::string> bodies;
    CLinkEngine engine;
};

const std::vector<SerialPortListing> kPorts = {
    {"ttyS0", ""}, {"ttyUSB0", "USB-Serial Controller"}, {"ttyUSB1", ""}};

TEST_F(ProbeTest, FindsThePortAndRateSendingOnlyConnectAndCloseLink) {
    test::RecordingTarget target;
    engine.SetTarget(&target);
    std::vector<std::string> progress;
    LoggerProbe probe(engine);
    probe.SetProgress([&](const std::string& port, int rate, int step, int steps) {
        progress.push_back(port + "@" + std::to_string(rate) + " " + std::to_string(step) + "/" +
                           std::to_string(steps));
    });
    const std::int64_t start = clock.TickMilliseconds();
    const ProbeReport report = probe.Run(kPorts);

    ASSERT_TRUE(report.found);
    EXPECT_EQ(report.found->port, "ttyUSB0");
    EXPECT_EQ(report.found->baudRate, 19200);
    EXPECT_FALSE(report.cancelled);
    EXPECT_EQ(opens, (std::vector<std::string>{"ttyS0@38400", "ttyS0@19200", "ttyS0@9600",
                                               "ttyUSB0@38400", "ttyUSB0@19200"}));
    EXPECT_EQ(progress,
              (std::vector<std::string>{"ttyS0@38400 1/9", "ttyS0@19200 2/9", "ttyS0@9600 3/9",
                                        "ttyUSB0@38400 4/9", "ttyUSB0@19200 5/9"}));
    // Connect once at each rate, Close Link once after the answer; nothing else.
    EXPECT_EQ(bodies, (std::vector<std::string>{"e", "e", "e", "e", "e", "c"}));
    // Four silent tries of half a second each, and the answer.
    EXPECT_LT(clock.TickMilliseconds() - start, 4 * 500 + 500);

    ASSERT_EQ(report.ports.size(), 3u);
    EXPECT_EQ(report.ports[0].state, PortProbeResult::State::NoAnswer);
    EXPECT_EQ(report.ports[1].state, PortProbeResult::State::Answered);
    EXPECT_EQ(report.ports[2].state, PortProbeResult::State::NotTried);
    EXPECT_EQ(ProbeReportLines(report),
              (std::vector<std::string>{
                  "ttyS0: no answer at 38400, 19200 or 9600 baud",
                  "ttyUSB0 (USB-Serial Controller): the logger answered at 19200 baud",
                  "ttyUSB1: not tried"}));
    EXPECT_EQ(ProbeConclusion(report), "The logger answered on ttyUSB0 at 19200 baud.");

    // The operations' target got nothing and is back; no message box was shown.
    queue.DrainPending();
    EXPECT_EQ(engine.Target(), &target);
    EXPECT_TRUE(target.received.empty());
    EXPECT_TRUE(prompt.shown().empty());
}

TEST_F(ProbeTest, APortThatCannotBeOpenedIsListedWithTheReasonAndTriedOnce) {
    refused["ttyS0"] = PortOpenError::AccessDenied;
    refused["ttyUSB0"] = PortOpenError::InUse;
    const ProbeReport report = LoggerProbe(engine).Run(kPorts);
    EXPECT_FALSE(report.found);
    EXPECT_EQ(opens, (std::vector<std::string>{"ttyS0@38400", "ttyUSB0@38400", "ttyUSB1@38400",
                                               "ttyUSB1@19200", "ttyUSB1@9600"}));
    ASSERT_EQ(report.ports.size(), 3u);
    EXPECT_EQ(report.ports[0].state, PortProbeResult::State::CannotOpen);
    EXPECT_EQ(report.ports[0].reason,
              DescribePortOpenFailure(PortOpenFailure{PortOpenError::AccessDenied,
                                                      DevicePathOf("ttyS0"), "dialout", 0}));
    EXPECT_NE(ProbeReportLines(report)[0].find("ttyS0: cannot be opened: "), std::string::npos);
    EXPECT_EQ(report.ports[1].state, PortProbeResult::State::CannotOpen);
    EXPECT_EQ(report.ports[2].state, PortProbeResult::State::NoAnswer);
}

TEST_F(ProbeTest, NoLoggerTriesEveryPortAtEveryRateAndSaysSo) {
    loggerPort = "ttyACM9";
    const ProbeReport report = LoggerProbe(engine).Run(kPorts);
    EXPECT_FALSE(report.found);
    EXPECT_FALSE(report.cancelled);
    EXPECT_EQ(opens.size(), 9u);
    EXPECT_EQ(bodies, std::vector<std::string>(9, "e"));
    for (const PortProbeResult& port : report.ports) {
        EXPECT_EQ(port.state, PortProbeResult::State::NoAnswer) << port.port;
    }
    EXPECT_EQ(ProbeConclusion(report),
              "No logger answered on any port at 38400, 19200 or 9600 baud; nothing was changed. "
              "Check that the logger is connected and switched on.");
    EXPECT_EQ(ProbeConclusion(LoggerProbe(engine).Run({})),
              "No serial ports were found on this computer.");
}

TEST_F(ProbeTest, CancelStopsTheSearchAtOnceAndLeavesTheEngineReady) {
    loggerPort = "ttyUSB1";
    LoggerProbe probe(engine);
    // The user cancels while the first port's second rate waits for its answer.
    probe.SetProgress([&](const std::string&, int, int step, int) {
        if (step == 2)
            clock.Schedule(
                100ms, [&] { queue.Post(nullptr, Notification::Invoke([&] { probe.Cancel(); })); });
    });
    const std::int64_t start = clock.TickMilliseconds();
    const ProbeReport report = probe.Run(kPorts);
    EXPECT_TRUE(report.cancelled);
    EXPECT_FALSE(report.found);
    EXPECT_LT(clock.TickMilliseconds() - start, 500 + 200);
    EXPECT_EQ(opens.size(), 2u);
    EXPECT_EQ(report.ports[1].state, PortProbeResult::State::NotTried);
    EXPECT_EQ(report.ports[2].state, PortProbeResult::State::NotTried);
    EXPECT_EQ(ProbeConclusion(report), "The search was cancelled; nothing was changed.");
    EXPECT_FALSE(engine.IsCancelled());
    EXPECT_FALSE(probe.IsRunning());
}

TEST(BaudIndexOfRate, IsTheInverseOfTheSettingsRateTable) {
    EXPECT_EQ(BaudIndexOfRate(9600), 0);
    EXPECT_EQ(BaudIndexOfRate(19200), 1);
    EXPECT_EQ(BaudIndexOfRate(38400), 2);
    EXPECT_FALSE(BaudIndexOfRate(4800));
    for (const int rate : kProbeRates) EXPECT_EQ(BaudRateFromIndex(*BaudIndexOfRate(rate)), rate);
}

}  // namespace
}  // namespace vantrel
