// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-logger-sim --strict-baud: a logger set to one rate hears a program at another
// rate only as garbage and answers nothing, and is not upset by it.

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "sim/SimOptions.h"
#include "sim/SimTestFrames.h"
#include "support/SimulatorProcess.h"

namespace vantrel::sim {
namespace {

using testing::SimulatorProcess;
using testing::TempDir;

void SetLineRate(int fd, speed_t speed) {
    termios settings{};
    ASSERT_EQ(tcgetattr(fd, &settings), 0);
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    ASSERT_EQ(tcsetattr(fd, TCSANOW, &settings), 0);
}

// Sends one frame and returns what comes back within `timeoutMs` (up to a NUL).
std::string Exchange(int fd, const std::string& frame, int timeoutMs) {
    EXPECT_EQ(write(fd, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
    std::string reply;
    while (reply.empty() || reply.back() != '\0') {
        pollfd waiting{fd, POLLIN, 0};
        if (poll(&waiting, 1, timeoutMs) <= 0) break;
        char buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    return reply;
}

TEST(StrictBaud, OnlyTheProgramAtTheLoggersRateIsAnswered) {
    TempDir scratch;
    const auto log = scratch.path() / "line.log";
    SimulatorProcess sim({"--baud", "19200", "--strict-baud", "--log", log.string()});
    const int fd = testing::OpenRawLine(sim.linkPath());
    struct Step {
        speed_t speed;
        bool answered;
    };
    std::uint16_t id = 1;
    // The garbage heard at the wrong rates leaves nothing behind: the next request at the
    // right rate is answered.
    for (const Step step : {Step{B38400, false}, Step{B19200, true}, Step{B9600, false},
                            Step{B19200, true}, Step{B57600, false}}) {
        SetLineRate(fd, step.speed);
        const std::string reply = Exchange(fd, test::RequestFrame(id, "e"), 400);
        EXPECT_EQ(!reply.empty(), step.answered) << "speed " << step.speed;
        if (step.answered) {
            EXPECT_EQ(test::PayloadOf(reply, id), "\x06");
        }
        ++id;
    }
    close(fd);
    EXPECT_EQ(sim.Stop(), 0);

    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("NOTE garbage: 11 bytes sent at 38400 baud, not 19200"),
              std::string::npos)
        << text.str();
    EXPECT_NE(text.str().find("NOTE garbage: 11 bytes sent at 9600 baud, not 19200"),
              std::string::npos);
}

TEST(StrictBaud, WithoutItAnyRateIsAnsweredAsBefore) {
    SimulatorProcess sim({"--baud", "38400"});
    const int fd = testing::OpenRawLine(sim.linkPath());
    SetLineRate(fd, B9600);
    EXPECT_EQ(test::PayloadOf(Exchange(fd, test::RequestFrame(1, "e"), 2000), 1), "\x06");
    close(fd);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(StrictBaud, NeedsARateALineCanBeSetTo) {
    EXPECT_FALSE(ParseSimOptions({"--strict-baud"}).options);
    EXPECT_FALSE(ParseSimOptions({"--strict-baud", "--baud", "1000"}).options);
    EXPECT_NE(ParseSimOptions({"--strict-baud"}).error.find("--strict-baud needs --baud"),
              std::string::npos);
    const ParsedOptions parsed = ParseSimOptions({"--baud", "9600", "--strict-baud"});
    ASSERT_TRUE(parsed.options);
    EXPECT_TRUE(parsed.options->strictBaud);
    EXPECT_FALSE(ParseSimOptions({"--baud", "9600"}).options->strictBaud);
    EXPECT_EQ(RateOfSpeed(B38400), 38400u);
    EXPECT_EQ(RateOfSpeed(B50), 0u);
}

}  // namespace
}  // namespace vantrel::sim
