// SPDX-License-Identifier: GPL-3.0-or-later
// The transport against a fake port on a fake clock: retries, time-outs, hold-offs,
// cancel, half-received frames, error counting and what is posted and logged.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "link/Frame.h"
#include "link/LinkTestSupport.h"
#include "platform/NotificationQueue.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using test::AckBody;
using test::EngineFixture;
using test::FakePort;
using test::NakBody;
using test::ParseRequest;
using test::SlaveFrame;

const std::string kTimedOut = "Timed out ! Attempting to re-send command:";
const std::string kNak = "Possible NAK! Attempting to re-send command:";
const std::string kFatal = "Fatal errors, connection timed out";

// Answers every request with the reply body `body` at once.
FakePort::Responder AnswerWith(std::string body) {
    return [body](FakePort& port, const std::string& frame) {
        port.Deliver(SlaveFrame(ParseRequest(frame)->id, body));
    };
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class Transport : public testing::Test {
protected:
    void SetUp() override { f.OpenFakeLink(); }
    EngineFixture f;
};

TEST_F(Transport, LoggerThatNeverAnswersGetsThreeIdenticalSendsThenFails) {
    EXPECT_FALSE(f.engine.Transact("f01"));
    f.Drain();
    ASSERT_EQ(f.port->sent.size(), 3u);
    EXPECT_EQ(f.port->sent[0], f.port->sent[1]);
    EXPECT_EQ(f.port->sent[1], f.port->sent[2]);
    EXPECT_EQ(f.engine.TransferErrorCount(), 3u);
    EXPECT_EQ(f.target.StatusTexts(), (std::vector<std::string>{kTimedOut + " 1", kTimedOut + " 2",
                                                                kTimedOut + " 3", kFatal}));
    EXPECT_TRUE(f.prompt.shown().empty());
    const auto lines = f.log.Lines();
    EXPECT_TRUE(Contains(lines, kTimedOut + " 3"));
    // The retry texts leave the progress alone; the final failure resets it.
    const auto& last = f.target.received.back();
    EXPECT_EQ(last.value, 0u);
    EXPECT_EQ(f.target.received[0].value, kKeepProgress);
}

TEST_F(Transport, TimeOutIsMoreThanTwoWholeSeconds) {
    const std::int64_t start = f.clock.WallSeconds();
    f.engine.CloseLink();  // one attempt
    EXPECT_EQ(f.clock.WallSeconds() - start, 3);
}

TEST_F(Transport, WallClockSteppedBackDoesNotStretchTheTimeOut) {
    f.clock.Schedule(1s, [this] { f.clock.StepWallClock(-1h); });
    const std::int64_t startTick = f.clock.TickMilliseconds();
    EXPECT_FALSE(f.engine.CloseLink());  // one attempt
    EXPECT_LE(f.clock.TickMilliseconds() - startTick, 5000);
}

TEST_F(Transport, BadLrcEveryTimeShowsOneBoxOnTheLastAttempt) {
    f.responder = [](FakePort& port, const std::string& frame) {
        std::string reply = SlaveFrame(ParseRequest(frame)->id, AckBody());
        reply[reply.size() - 2] = reply[reply.size() - 2] == '0' ? '1' : '0';
        port.Deliver(reply);
    };
    EXPECT_FALSE(f.engine.Transact("f01"));
    f.Drain();
    EXPECT_EQ(f.prompt.Texts(), std::vector<std::string>{"Invalid LRC, try lowering baud rates"});
    EXPECT_EQ(f.engine.TransferErrorCount(), 6u);
    const auto texts = f.target.StatusTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Malformed packets - Sync error"), 3);
    EXPECT_TRUE(Contains(texts, kNak + " 3"));
    EXPECT_EQ(texts.back(), kFatal);
    EXPECT_TRUE(Contains(f.log.Lines(), "Malformed Packets"));
}

TEST_F(Transport, HoldOffThenAnswerFiveSecondsLaterSucceedsWithoutRetry) {
    f.responder = [](FakePort& port, const std::string& frame) {
        const auto id = ParseRequest(frame)->id;
        port.Deliver(SlaveFrame(id, "!"));
        port.DeliverLater(5s, SlaveFrame(id, AckBody()));
    };
    EXPECT_TRUE(f.engine.Transact("f05"));
    EXPECT_EQ(f.port->sent.size(), 1u);
    EXPECT_EQ(f.engine.TransferErrorCount(), 0u);
    EXPECT_TRUE(Contains(f.log.Lines(), "Its a holdoff response, recalculate the timeout"));
}

TEST_F(Transport, NakLongAfterAHoldOffIsAPossibleNakNotATimeOut) {
    // The hold-off restarts the time-out for as long as it stands, so the NAK that follows
    // it 5 s later is no late reply.
    int calls = 0;
    f.responder = [&calls](FakePort& port, const std::string& frame) {
        const auto id = ParseRequest(frame)->id;
        if (++calls > 1) return port.Deliver(SlaveFrame(id, AckBody()));
        port.Deliver(SlaveFrame(id, "!"));
        port.DeliverLater(5s, SlaveFrame(id, NakBody(4)));
    };
    EXPECT_TRUE(f.engine.Transact("f05"));
    f.Drain();
    EXPECT_EQ(f.port->sent.size(), 2u);
    EXPECT_EQ(f.engine.TransferErrorCount(), 1u);
    EXPECT_EQ(f.target.StatusTexts(), std::vector<std::string>{kNak + " 1"});
}

TEST_F(Transport, EndlessHoldOffIsBoundedAndCountsAsTimeOut) {
    f.responder = [](FakePort& port, const std::string& frame) {
        port.Deliver(SlaveFrame(ParseRequest(frame)->id, "!"));
    };
    const std::int64_t start = f.clock.WallSeconds();
    EXPECT_FALSE(f.engine.Transact("f05"));
    const std::int64_t waited = f.clock.WallSeconds() - start;
    EXPECT_GE(waited, CLinkEngine::kHoldOffLimitSeconds);
    EXPECT_LE(waited, CLinkEngine::kHoldOffLimitSeconds + 5);
    f.Drain();
    EXPECT_EQ(f.target.StatusTexts().back(), kFatal);
    EXPECT_TRUE(Contains(f.target.StatusTexts(), kTimedOut + " 1"));
}

// A logger that holds off every request and answers `answerAfter` later; the user cancels
// 300 ms into the first hold-off.
TEST_F(Transport, ACancelWhileTheLoggerHoldsOffIsACancelAndItsLateAnswerIsDropped) {
    for (const std::chrono::milliseconds answerAfter : {700ms, 10000ms}) {
        SCOPED_TRACE(answerAfter.count());
        EngineFixture g;
        g.OpenFakeLink();
        g.responder = [&](FakePort& port, const std::string& frame) {
            const auto id = ParseRequest(frame)->id;
            port.Deliver(SlaveFrame(id, "!"));
            port.DeliverLater(answerAfter, SlaveFrame(id, AckBody()));
        };
        g.clock.Schedule(300ms, [&] { g.port->PostCall([&] { g.engine.SetCancel(true); }); });
        const std::int64_t start = g.clock.WallSeconds();
        EXPECT_FALSE(g.engine.Transact("f05"));
        // The answer on its way is taken; a longer hold-off is not waited for.
        EXPECT_LE(g.clock.WallSeconds() - start, 1 + CLinkEngine::kTimeOutSeconds + 1);
        EXPECT_FALSE(g.engine.IsCancelled());
        // The closing request meets the late answer (10 s) and is not put out by it.
        EXPECT_TRUE(g.engine.CloseLink());
        g.Drain();
        EXPECT_EQ(g.port->sent.size(), 2u);
        EXPECT_EQ(g.engine.TransferErrorCount(), 0u);
        EXPECT_EQ(g.target.StatusTexts(), std::vector<std::string>{"Communications Closed"});
        EXPECT_TRUE(g.prompt.shown().empty());
        EXPECT_EQ(Contains(g.log.Lines(), "Cancelled while the logger held off"),
                  answerAfter == 10000ms);
        EXPECT_EQ(g.engine.CancelsHonoured(), 1u);
    }

    // A cancel while the Connect is held off: no connection advice, no time-out.
    f.responder = [](FakePort& port, const std::string& frame) {
        port.Deliver(SlaveFrame(ParseRequest(frame)->id, "!"));
    };
    f.clock.Schedule(300ms, [this] { f.port->PostCall([this] { f.engine.SetCancel(true); }); });
    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    EXPECT_FALSE(f.engine.ListFiles(&f.target, LinkSettings{"ttyFAKE1", 9600}, names, sizes));
    f.Drain();
    EXPECT_TRUE(f.prompt.shown().empty());
    EXPECT_EQ(f.target.StatusTexts(),
              (std::vector<std::string>{"Attempting to Connect", "Communications Closed"}));
    EXPECT_EQ(f.engine.TransferErrorCount(), 0u);
}

TEST_F(Transport, ACancelDuringASilentWaitEndsAtTheTimeOutAsACancel) {
    f.clock.Schedule(500ms, [this] { f.port->PostCall([this] { f.engine.SetCancel(true); }); });
    EXPECT_FALSE(f.engine.Transact("f05"));
    f.Drain();
    EXPECT_EQ(f.port->sent.size(), 1u);
    EXPECT_EQ(f.engine.TransferErrorCount(), 0u);
    EXPECT_EQ(f.target.StatusTexts(), std::vector<std::string>{"Communications Closed"});
}

TEST_F(Transport, NakWithCodeNineFailsAtOnceAndSilently) {
    f.responder = AnswerWith(NakBody(9));
    EXPECT_FALSE(f.engine.Transact("f03"));
    f.Drain();
    EXPECT_EQ(f.port->sent.size(), 1u);
    EXPECT_TRUE(f.target.received.empty());
    EXPECT_TRUE(f.prompt.shown().empty());
    EXPECT_EQ(f.engine.TransferErrorCount(), 0u);
    EXPECT_EQ(f.engine.LastReplyStatus(), ReplyStatus::EndOfList);
}

TEST_F(Transport, NakThenAcknowledgementSucceedsOnTheSecondAttempt) {
    int calls = 0;
    f.responder = [&calls](FakePort& port, const std::string& frame) {
        const auto id = ParseRequest(frame)->id;
        port.Deliver(SlaveFrame(id, ++calls == 1 ? NakBody(4) : AckBody()));
    };
    EXPECT_TRUE(f.engine.Transact("f05"));
    f.Drain();
    EXPECT_EQ(f.port->sent.size(), 2u);
    EXPECT_EQ(f.engine.TransferErrorCount(), 1u);
    EXPECT_EQ(f.target.StatusTexts(), std::vector<std::string>{kNak + " 1"});
    EXPECT_TRUE(f.prompt.shown().empty());
}

TEST_F(Transport, NakOnEveryAttemptShowsTheErrorTextOnce) {
    f.responder = AnswerWith(NakBody(0x0A));
    EXPECT_FALSE(f.engine.Transact("f05"));
    ASSERT_EQ(f.prompt.shown().size(), 1u);
    EXPECT_EQ(f.prompt.shown()[0].text, "File Locked");
    EXPECT_EQ(f.prompt.shown()[0].caption, "Vantrel NAK Error");
    EXPECT_EQ(f.engine.TransferErrorCount(), 3u);
}

TEST_F(Transport, ARefusalIsReportedAsTheLoggersAnswerNeverAsATimeOut) {
    // Each refusal ends just as the time-out runs out: it came late, but it came.
    f.responder = [](FakePort& port, const std::string& frame) {
        const std::string nak = SlaveFrame(ParseRequest(frame)->id, NakBody(5));
        port.DeliverLater(2500ms, nak.substr(0, nak.size() - 1));
        port.DeliverLater(3s, nak.substr(nak.size() - 1));
    };
    EXPECT_FALSE(f.engine.Transact("f10\"BAD NAME\""));
    f.Drain();
    EXPECT_EQ(f.target.StatusTexts(),
              (std::vector<std::string>{kNak + " 1", kNak + " 2", kNak + " 3",
                                        "Fatal errors, the vantrel refused the command: Invalid "
                                        "Filename"}));
    EXPECT_EQ(f.prompt.Texts(), std::vector<std::string>{"Invalid Filename"});
    EXPECT_EQ(f.engine.FirstRefusal(), 5);

    // The first refusal is kept until cleared; a logger that falls silent refuses nothing.
    f.responder = AnswerWith(NakBody(0x0A));
    EXPECT_FALSE(f.engine.Transact("f05"));
    EXPECT_EQ(f.engine.FirstRefusal(), 5);
    f.engine.ClearRefusal();
    f.responder = nullptr;
    f.target.received.clear();
    EXPECT_FALSE(f.engine.Transact("f05"));
    f.Drain();
    EXPECT_EQ(f.engine.FirstRefusal(), std::nullopt);
    EXPECT_EQ(f.target.StatusTexts().back(), kFatal);
}

TEST_F(Transport, ReplyForAnOlderIdIsMalformed) {
    f.responder = [](FakePort& port, const std::string& frame) {
        port.Deliver(
            SlaveFrame(static_cast<std::uint16_t>(ParseRequest(frame)->id - 1), AckBody()));
    };
    EXPECT_FALSE(f.engine.Transact("f05"));
    EXPECT_EQ(f.prompt.Texts(),
              std::vector<std::string>{"Invalid Message ID response, possibly out of sync, try "
                                       "lowering and matching baud rates"});
}

TEST_F(Transport, CancelDuringConnectThenAcknowledgementConnects) {
    f.responder = [this](FakePort& port, const std::string& frame) {
        port.PostCall([this] { f.engine.SetCancel(true); });
        port.Deliver(SlaveFrame(ParseRequest(frame)->id, AckBody()));
    };
    EXPECT_TRUE(f.engine.OpenCommsLink());
    EXPECT_TRUE(f.engine.IsCancelled());
    f.Drain();
    EXPECT_EQ(f.target.StatusTexts(),
              (std::vector<std::string>{"Attempting to Connect", "Connection Established"}));
}

TEST_F(Transport, CancelSeenAfterAReplyClosesCommunications) {
    f.responder = [this](FakePort& port, const std::string& frame) {
        port.PostCall([this] { f.engine.SetCancel(true); });
        port.Deliver(SlaveFrame(ParseRequest(frame)->id, AckBody()));
    };
    EXPECT_FALSE(f.engine.Transact("f05"));
    EXPECT_FALSE(f.engine.IsCancelled());
    f.Drain();
    EXPECT_EQ(f.target.StatusTexts(), std::vector<std::string>{"Communications Closed"});
}

TEST_F(Transport, HalfReceivedFrameIsWaitedForInsteadOfSending) {
    const std::uint16_t nextId = MessageIdAfter(f.engine.ExpectedId());
    const std::string reply = SlaveFrame(nextId, AckBody());
    for (const char c : reply.substr(0, 5)) f.engine.OnReceiveChar(static_cast<std::uint8_t>(c), 1);
    f.clock.Schedule(1s, [&] { f.port->Deliver(reply.substr(5)); });
    EXPECT_TRUE(f.engine.Transact("f05"));
    EXPECT_TRUE(f.port->sent.empty());
}

TEST_F(Transport, HalfFrameThatNeverCompletesBlocksSendingUntilRestarted) {
    for (const char c : std::string("@s00"))
        f.engine.OnReceiveChar(static_cast<std::uint8_t>(c), 1);
    EXPECT_FALSE(f.engine.Transact("f05"));
    EXPECT_TRUE(f.port->sent.empty());
    EXPECT_EQ(f.engine.TransferErrorCount(), 3u);

    // Once the half frame is restarted and ended, the next request is sent again.
    f.responder = AnswerWith(AckBody());
    for (const char c : std::string("@x", 3))
        f.engine.OnReceiveChar(static_cast<std::uint8_t>(c), 1);
    EXPECT_TRUE(f.engine.Transact("f05"));
    EXPECT_EQ(f.port->sent.size(), 1u);
}

TEST_F(Transport, ConnectClearsAHalfFrameBeforeSending) {
    for (const char c : std::string("@s00"))
        f.engine.OnReceiveChar(static_cast<std::uint8_t>(c), 1);
    f.responder = AnswerWith(AckBody());
    EXPECT_TRUE(f.engine.OpenCommsLink());
    EXPECT_EQ(f.port->sent.size(), 1u);
}

TEST_F(Transport, ByteCountTakesTheRequestOnceAndEveryReceivedByte) {
    f.responder = [](FakePort& port, const std::string& frame) {
        port.Deliver("xx");  // noise before the frame still counts
        port.Deliver(SlaveFrame(ParseRequest(frame)->id, NakBody(4)));
    };
    f.engine.SetTransferByteCount(0);
    EXPECT_FALSE(f.engine.Transact("f05"));
    const std::uint32_t request = static_cast<std::uint32_t>(f.port->sent[0].size() + 1);
    const std::uint32_t reply = static_cast<std::uint32_t>(2 + SlaveFrame(1, NakBody(4)).size());
    EXPECT_EQ(f.engine.TransferByteCount(), request + 3 * reply);
}

TEST_F(Transport, RateTimerPostsCharactersPerSecondFromTheSecondTick) {
    f.engine.StartRateTimer(2000ms);
    f.engine.SetTransferByteCount(0);
    EXPECT_TRUE(f.queue.PumpMessage(10s));  // first tick: nothing known to compare with
    f.engine.SetTransferByteCount(3000);
    EXPECT_TRUE(f.queue.PumpMessage(10s));
    f.Drain();
    ASSERT_EQ(f.target.received.size(), 1u);
    EXPECT_EQ(f.target.received[0].kind, NotificationKind::WM_LINK_RATE);
    EXPECT_EQ(f.target.received[0].value, 1500u);
    EXPECT_EQ(f.engine.TransferByteCount(), 0u);
    f.engine.StopRateTimer();
    EXPECT_FALSE(f.queue.PumpMessage(10s));
}

TEST_F(Transport, EachRateCountsOnlyItsOwnPeriodAndANewOperationItsOwnStart) {
    f.engine.StartRateTimer(2000ms);
    f.engine.SetTransferByteCount(4000);    // bytes of the first period
    EXPECT_TRUE(f.queue.PumpMessage(10s));  // first tick: no rate, but a new count
    f.engine.SetTransferByteCount(f.engine.TransferByteCount() + 2000);
    EXPECT_TRUE(f.queue.PumpMessage(10s));
    f.engine.StopRateTimer();
    f.Drain();
    ASSERT_EQ(f.target.received.size(), 1u);
    EXPECT_EQ(f.target.received[0].value, 1000u);  // 2000 bytes in 2 s, not 6000

    // A minute idle, then the next operation: its first rate is over its own 6 s.
    f.clock.Advance(60s);
    f.engine.StartRateTimer(6000ms);
    f.engine.SetTransferByteCount(3000);
    EXPECT_TRUE(f.queue.PumpMessage(10s));
    f.engine.StopRateTimer();
    f.Drain();
    ASSERT_EQ(f.target.received.size(), 2u);
    EXPECT_EQ(f.target.received[1].value, 500u);
}

TEST_F(Transport, TraceRecordsBothDirections) {
    const std::string path = testing::TempDir() + "/link_trace.txt";
    f.engine.SetTrace(std::make_unique<LineTrace>(path, f.clock));
    f.responder = AnswerWith(AckBody());
    EXPECT_TRUE(f.engine.OpenCommsLink());
    f.engine.SetTrace(nullptr);
    std::ifstream in(path);
    std::string sent, received;
    std::getline(in, sent);
    std::getline(in, received);
    EXPECT_EQ(sent, "+0.000 > @m0001;eF2\\00");
    EXPECT_EQ(received, "+0.000 < @s0001;\\064B\\00");
}

TEST(TransportWait, WaitingForAnAnswerUsesAlmostNoCpu) {
    SystemClock clock;
    NotificationQueue queue(clock);
    RecordingPrompt prompt;
    NullDiagnosticLog log;
    FakeClock unusedSchedule;  // the silent port never schedules anything
    CLinkEngine engine(
        LinkServices{queue, clock, prompt, log}, [&](const PortRequest& request, PortOpenFailure&) {
            return std::make_unique<FakePort>(*request.queue, request.owner, unusedSchedule);
        });
    ASSERT_TRUE(engine.OpenLink("ttyFAKE0", 9600));
    const double cpuBefore = test::CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(engine.CloseLink());  // one attempt, 2-3 s of waiting
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(wall, 2.0);
    EXPECT_LT(wall, 3.5);
    EXPECT_LT(test::CpuSeconds() - cpuBefore, 0.05 * wall);
}

}  // namespace
}  // namespace vantrel
