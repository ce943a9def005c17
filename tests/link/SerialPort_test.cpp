// SPDX-License-Identifier: GPL-3.0-or-later
// CSerialPort over real pseudo-terminals: the test plays the logger on the master side.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "link/CSerialPort.h"
#include "link/LinkTestSupport.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using test::RecordingTarget;

class PseudoTerminal {
public:
    PseudoTerminal() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) {
            path_ = name;
            ::close(slave_);  // the port under test opens it by name
            slave_ = -1;
        }
    }
    ~PseudoTerminal() { CloseMaster(); }
    const std::string& path() const { return path_; }
    int master() const { return master_; }
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    void Write(std::string_view bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Reads until `count` bytes arrived or 3 s passed.
    std::string Read(std::size_t count) const {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + 3s;
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{master_, POLLIN, 0};
            if (::poll(&ready, 1, 100) <= 0) continue;
            char buffer[512];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

class SerialPort : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(pty.path().empty()); }

    // Pumps until `count` bytes reached the target or 3 s passed.
    std::string Received(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + 3s;
        while (Bytes().size() < count && std::chrono::steady_clock::now() < deadline) {
            queue.PumpMessage(100ms);
        }
        return Bytes();
    }
    std::string Bytes() const {
        std::string bytes;
        for (const auto& n : target.received) {
            if (n.kind == NotificationKind::WM_SERIAL_RXCHAR) {
                bytes += static_cast<char>(n.value);
                EXPECT_EQ(n.port, 5u);
            }
        }
        return bytes;
    }
    bool Open(CSerialPort& port) {
        return port.OpenPort(&target, pty.path(), 5, 38400, 'N', 8, 1, 521);
    }

    PseudoTerminal pty;
    SystemClock clock;
    NotificationQueue queue{clock};
    RecordingPrompt prompt;
    RecordingTarget target;
};

TEST_F(SerialPort, BurstArrivesOneNotificationPerByteInOrderNulIncluded) {
    CSerialPort port(queue, prompt);
    ASSERT_TRUE(Open(port));
    ASSERT_TRUE(port.StartMonitor());
    std::string burst("@s0001;\0\xff", 10);
    for (int i = 0; i < 300; ++i) burst += static_cast<char>(i & 0xFF);
    // Once a write has come through, the monitor is past its purge at start.
    port.SendText("sync");
    ASSERT_EQ(pty.Read(5), std::string("sync\0", 5));
    pty.Write(burst);
    EXPECT_EQ(Received(burst.size()), burst);
    EXPECT_TRUE(prompt.shown().empty());
}

TEST_F(SerialPort, WriteSendsTheTextAndItsNul) {
    CSerialPort port(queue, prompt);
    ASSERT_TRUE(Open(port));
    ASSERT_TRUE(port.StartMonitor());
    port.SendText("@m0001;eF2");
    EXPECT_EQ(pty.Read(11), std::string("@m0001;eF2\0", 11));
    const std::string block(274, 'A');  // the longest request the link sends
    port.SendText(block);
    EXPECT_EQ(pty.Read(275), block + '\0');
}

TEST_F(SerialPort, UnreadInputIsPurgedBeforeAWrite) {
    CSerialPort port(queue, prompt);
    ASSERT_TRUE(Open(port));
    pty.Write("stale bytes");
    std::this_thread::sleep_for(50ms);
    port.SendText("q");  // waits for the monitor, which purges before it writes
    ASSERT_TRUE(port.StartMonitor());
    EXPECT_EQ(pty.Read(2), std::string("q\0", 2));
    pty.Write("ok");
    EXPECT_EQ(Received(2), "ok");
}

TEST_F(SerialPort, RequestGoesOutPromptlyWhileBytesKeepArriving) {
    CSerialPort port(queue, prompt);
    ASSERT_TRUE(Open(port));
    ASSERT_TRUE(port.StartMonitor());
    port.SendText("sync");
    ASSERT_EQ(pty.Read(5), std::string("sync\0", 5));
    // A chattering line: a few bytes every 50 us, faster than the monitor's pause after a
    // read, so its receive loop never finds the input empty.
    std::atomic<bool> stop{false};
    std::thread noise([&] {
        while (!stop) {
            if (::write(pty.master(), "xxxx", 4) < 0) break;
            std::this_thread::sleep_for(50us);
        }
    });
    std::this_thread::sleep_for(50ms);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i) {
        port.SendText("req");
        EXPECT_EQ(pty.Read(4), std::string("req\0", 4));
    }
    const auto took = std::chrono::steady_clock::now() - start;
    stop = true;
    noise.join();
    EXPECT_LT(took, 500ms);
}

TEST_F(SerialPort, MissingDeviceFailsAfterTenTriesAboutTwoSeconds) {
    CSerialPort port(queue, prompt);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.OpenPort(&target, "/dev/ttyVANTRELNONE", 0, 9600, 'N', 8, 1, 521));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 1900ms);
    EXPECT_LT(took, 4s);
    EXPECT_EQ(port.LastOpenFailure().error, PortOpenError::NotFound);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.StartMonitor());
}

TEST_F(SerialPort, SecondOpenOfAHeldPortReportsInUse) {
    CSerialPort first(queue, prompt);
    ASSERT_TRUE(Open(first));
    CSerialPort second(queue, prompt);
    second.SetOpenRetry(2, 10ms);
    EXPECT_FALSE(Open(second));
    EXPECT_EQ(second.LastOpenFailure().error, PortOpenError::InUse);
    EXPECT_NE(DescribePortOpenFailure(second.LastOpenFailure()).find("in use"), std::string::npos);
}

TEST_F(SerialPort, PortCanBeOpenedAgainAfterItsOwnerIsGone) {
    {
        CSerialPort first(queue, prompt);
        ASSERT_TRUE(Open(first));
        ASSERT_TRUE(first.StartMonitor());
    }
    CSerialPort again(queue, prompt);
    again.SetOpenRetry(1, 0ms);
    EXPECT_TRUE(Open(again));
}

TEST_F(SerialPort, PermissionDeniedNamesTheOwningGroup) {
    // Run the open as an unprivileged user in a child process, so root's rights do not hide
    // the refusal.
    ASSERT_EQ(::chmod(pty.path().c_str(), 0600), 0);
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() == 0) {
        ASSERT_NE(nobody, nullptr);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)) {
            ::_exit(10);
        }
        CSerialPort port(queue, prompt);
        port.SetOpenRetry(1, 0ms);
        const bool opened = port.OpenPort(nullptr, pty.path(), 0, 9600, 'N', 8, 1, 521);
        const PortOpenFailure& failure = port.LastOpenFailure();
        const std::string text = DescribePortOpenFailure(failure);
        ::_exit(opened                                                        ? 11
                : failure.error != PortOpenError::AccessDenied                ? 12
                : failure.group.empty()                                       ? 13
                : text.find("\"" + failure.group + "\"") == std::string::npos ? 14
                                                                              : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SerialPort, RegularFileIsNoSerialPort) {
    const std::string path = testing::TempDir() + "/not_a_tty";
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    CSerialPort port(queue, prompt);
    port.SetOpenRetry(1, 0ms);
    EXPECT_FALSE(port.OpenPort(&target, path, 0, 9600, 'N', 8, 1, 521));
    EXPECT_EQ(port.LastOpenFailure().error, PortOpenError::NotATerminal);
}

TEST_F(SerialPort, UnsupportedBaudRateIsRefused) {
    CSerialPort port(queue, prompt);
    EXPECT_FALSE(port.OpenPort(&target, pty.path(), 0, 4800, 'N', 8, 1, 521));
    EXPECT_EQ(port.LastOpenFailure().error, PortOpenError::BadBaudRate);
}

TEST_F(SerialPort, SendOnAClosedPortShowsNullHandle) {
    CSerialPort port(queue, prompt);
    port.SendText("x");
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"Null Handle Detected"});
}

TEST_F(SerialPort, VanishedDeviceIsReportedToTheOwnerOnThePumpingThreadAndDoesNotSpin) {
    RecordingDiagnosticLog log;
    CSerialPort port(queue, prompt, &log);
    ASSERT_TRUE(Open(port));
    ASSERT_TRUE(port.StartMonitor());
    pty.CloseMaster();
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(target.received.empty());  // nothing is delivered until the queue is pumped
    const double cpuBefore = test::CpuSeconds();
    const auto deadline = std::chrono::steady_clock::now() + 500ms;
    while (std::chrono::steady_clock::now() < deadline) queue.PumpMessage(100ms);
    EXPECT_LT(test::CpuSeconds() - cpuBefore, 0.15);
    // The owner judges the report; the port itself never shows it.
    EXPECT_TRUE(prompt.shown().empty());
    ASSERT_EQ(target.received.size(), 1u);
    const Notification& failure = target.received[0];
    EXPECT_EQ(failure.kind, NotificationKind::WM_SERIAL_FAILURE);
    const std::string report = failure.text.value_or("");
    EXPECT_EQ(report.rfind("WARNING:  ", 0), 0u);
    EXPECT_NE(report.find(" Failed with the following error: \n"), std::string::npos);
    // Named by its device, not by the number its name ends in.
    EXPECT_NE(report.find("\nPort: " + pty.path() + "\n"), std::string::npos) << report;
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0] + "\n", report);
}

TEST_F(SerialPort, EngineClosesAPortThatFailsBetweenOperationsWithoutABox) {
    RecordingDiagnosticLog log;
    CLinkEngine engine(LinkServices{queue, clock, prompt, log});
    const auto pumpAWhile = [this] {
        const auto deadline = std::chrono::steady_clock::now() + 300ms;
        while (std::chrono::steady_clock::now() < deadline) queue.PumpMessage(50ms);
    };

    // Unplugged while idle: logged, closed, no box.
    ASSERT_TRUE(engine.OpenLink(pty.path(), 9600));
    pty.CloseMaster();
    pumpAWhile();
    EXPECT_TRUE(prompt.shown().empty());
    EXPECT_FALSE(engine.HasOpenPort());
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_NE(log.Lines()[0].find("Port: " + pty.path()), std::string::npos);

    // Plugged in again: the next opening works. Unplugged during an operation: a box.
    PseudoTerminal again;
    ASSERT_TRUE(engine.OpenLink(again.path(), 9600));
    EXPECT_TRUE(engine.HasOpenPort());
    {
        const CLinkEngine::OperationScope operation(engine);
        again.CloseMaster();
        pumpAWhile();
    }
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].caption, "Application Error");
    EXPECT_NE(prompt.shown()[0].text.find("Port: " + again.path()), std::string::npos);
}

TEST_F(SerialPort, DestructionEndsTheMonitorWhateverItIsDoing) {
    for (int i = 0; i < 20; ++i) {
        CSerialPort port(queue, prompt);
        ASSERT_TRUE(Open(port));
        ASSERT_TRUE(port.StartMonitor());
        if (i % 2 == 0) port.SendText("pending write");
        if (i % 3 == 0) pty.Write("incoming");
    }
    {
        CSerialPort neverStarted(queue, prompt);
        ASSERT_TRUE(Open(neverStarted));
    }
    { CSerialPort neverOpened(queue, prompt); }
    queue.DrainPending();
    EXPECT_TRUE(prompt.shown().empty());
}

TEST_F(SerialPort, EngineTalksToALoggerOverThePseudoTerminal) {
    RecordingDiagnosticLog log;
    CLinkEngine engine(LinkServices{queue, clock, prompt, log});
    test::ScriptedLogger logger;
    logger.files = {{"A.DAT", std::string(200, 'z')}};
    std::atomic<bool> stop{false};
    const int master = pty.master();
    std::thread loggerThread([&] {
        std::string frame;
        while (!stop) {
            pollfd ready{master, POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0) continue;
            char c = 0;
            if (::read(master, &c, 1) != 1) continue;
            if (c != '\0') {
                frame += c;
                continue;
            }
            const auto request = test::ParseRequest(frame);
            frame.clear();
            if (!request) continue;
            const std::string answer = logger.AnswerText(*request);
            if (::write(master, answer.data(), answer.size()) < 0) break;
        }
    });
    std::string content;
    const bool ok = engine.OperationPrologue(&target, LinkSettings{pty.path(), 38400}) &&
                    engine.RetrieveFile("A.DAT", 200, content);
    stop = true;
    loggerThread.join();
    EXPECT_TRUE(ok);
    EXPECT_EQ(content, test::HexOf(std::string(200, 'z')));
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_TRUE(prompt.shown().empty());
}

}  // namespace
}  // namespace vantrel
