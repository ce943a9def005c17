// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-logger-sim as a process on a pseudo-terminal, driven through its link.

#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/SimTestFrames.h"
#include "support/SimulatorProcess.h"

namespace vantrel::sim {
namespace {

using testing::FileMap;
using testing::SimulatorProcess;
using testing::TempDir;

// Sends one frame and reads until a NUL ends the reply (or `timeoutMs` passes).
std::string Exchange(int fd, const std::string& frame, int timeoutMs = 3000) {
    EXPECT_EQ(write(fd, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
    std::string reply;
    while (reply.empty() || reply.back() != '\0') {
        pollfd waiting{fd, POLLIN, 0};
        if (poll(&waiting, 1, timeoutMs) <= 0) break;
        char buffer[512];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    return reply;
}

const FileMap kImage = {{"USERSOIL.CFG01", std::string("\x00\x01\x02\xFF", 4)},
                        {"PRO01.DAT00", std::string(300, '\x5A')},
                        {"EMPTY.GR", ""}};

TEST(SimProcessTest, AnswersConnectThroughItsLinkAndDumpsItsFilesOnSigterm) {
    TempDir image;
    testing::WriteFolder(image.path(), kImage);
    SimulatorProcess sim({"--image", image.path().string()});
    ASSERT_TRUE(std::filesystem::is_symlink(sim.linkPath()));

    const int fd = testing::OpenRawLine(sim.linkPath());
    EXPECT_EQ(Exchange(fd, test::RequestFrame(1, "e")), std::string("@s0001;\x06"
                                                                    "4B\0",
                                                                    11));
    close(fd);

    EXPECT_EQ(sim.StopAndReadDump(), kImage);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(sim.linkPath())))
        << "the link is removed on exit";
}

TEST(SimProcessTest, KeepsAnsweringWhenTheProgramReopensThePort) {
    SimulatorProcess sim;
    for (std::uint16_t id = 1; id <= 3; ++id) {
        const int fd = testing::OpenRawLine(sim.linkPath());
        const std::string reply = Exchange(fd, test::RequestFrame(id, "f01"));
        EXPECT_EQ(test::PayloadOf(reply, id), "000009");
        close(fd);
        usleep(30'000);  // the simulator sees the hang-up meanwhile
    }
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(SimProcessTest, LogsEveryFrameWithItsByteCountAndPacesAtTheBaudRate) {
    TempDir scratch;
    const auto log = scratch.path() / "line.log";
    SimulatorProcess sim({"--baud", "9600", "--log", log.string()});
    const int fd = testing::OpenRawLine(sim.linkPath());
    // 40 Get First File Info requests (13 bytes) and NAK replies (13 bytes): 1040 bytes on a
    // line that carries 960 bytes a second.
    const auto start = std::chrono::steady_clock::now();
    for (std::uint16_t id = 1; id <= 40; ++id) {
        ASSERT_EQ(test::PayloadOf(Exchange(fd, test::RequestFrame(id, "f02")), id), test::Nak(9));
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    close(fd);
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_GE(elapsed, std::chrono::milliseconds{1000});
    EXPECT_LT(elapsed, std::chrono::milliseconds{3000});

    std::ifstream in(log);
    std::string line;
    int rx = 0, tx = 0;
    while (std::getline(in, line)) {
        if (line.find(" RX 13 @m00") != std::string::npos) ++rx;
        if (line.find(" TX 13 @s00") != std::string::npos) ++tx;
    }
    EXPECT_EQ(rx, 40);
    EXPECT_EQ(tx, 40);
}

TEST(SimProcessTest, RefusesBadOptionsAndAnExistingNonLinkPath) {
    TempDir scratch;
    EXPECT_THROW(SimulatorProcess({"--holdoff-every", "0"}, std::chrono::seconds{5}),
                 std::runtime_error);
    EXPECT_THROW(SimulatorProcess({"--bogus"}, std::chrono::seconds{5}), std::runtime_error);
    // The helper's own --link comes first; a second --link to a real file must not clobber it.
    const auto file = scratch.path() / "precious";
    testing::WriteFolder(scratch.path(), {{"precious", "keep me"}});
    EXPECT_THROW(SimulatorProcess({"--link", file.string()}, std::chrono::seconds{5}),
                 std::runtime_error);
    EXPECT_EQ(testing::ReadFolder(scratch.path()).at("precious"), "keep me");
}

}  // namespace
}  // namespace vantrel::sim
