// SPDX-License-Identifier: GPL-3.0-or-later
// The single Connect of the logger search: one frame, a wait bounded by its own time-out,
// what counts as an answer, and nothing shown or posted.
#include <gtest/gtest.h>

#include "link/LinkTestSupport.h"
#include "link/ReplyParser.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using test::AckBody;
using test::EngineFixture;
using test::FakePort;
using test::NakBody;
using test::ParseRequest;
using test::SlaveFrame;

class ProbeConnect : public testing::Test {
protected:
    void SetUp() override { f.OpenFakeLink(); }

    // Answers the first request with `bytes(id)` after `delay`.
    void AnswerAfter(std::chrono::milliseconds delay,
                     std::function<std::string(std::uint16_t)> bytes) {
        f.responder = [delay, bytes](FakePort& port, const std::string& frame) {
            const auto request = ParseRequest(frame);
            ASSERT_TRUE(request);
            if (delay.count() == 0) {
                port.Deliver(bytes(request->id));
            } else {
                port.DeliverLater(delay, bytes(request->id));
            }
        };
    }

    std::int64_t Elapsed(std::int64_t since) const { return f.clock.TickMilliseconds() - since; }

    EngineFixture f;
};

TEST_F(ProbeConnect, AnAnswerOfAnyKindIsALoggerAndEndsTheWaitAtOnce) {
    struct Case {
        const char* name;
        std::function<std::string(std::uint16_t)> reply;
        std::optional<ReplyStatus> status;
    };
    const Case cases[] = {
        {"ACK", [](std::uint16_t id) { return SlaveFrame(id, AckBody()); }, ReplyStatus::Ack},
        {"NAK", [](std::uint16_t id) { return SlaveFrame(id, NakBody(3)); }, ReplyStatus::Nak},
        {"hold-off", [](std::uint16_t id) { return SlaveFrame(id, "!"); }, std::nullopt},
        {"noise, then ACK",
         [](std::uint16_t id) { return std::string("\x13\xFF~", 3) + SlaveFrame(id, AckBody()); },
         ReplyStatus::Ack},
    };
    for (const Case& c : cases) {
        AnswerAfter(40ms, c.reply);
        const std::size_t sentBefore = f.port->sent.size();
        const std::int64_t start = f.clock.TickMilliseconds();
        EXPECT_TRUE(f.engine.ProbeConnect(500ms)) << c.name;
        EXPECT_LT(Elapsed(start), 100) << c.name;
        EXPECT_EQ(f.engine.LastReplyStatus(), c.status) << c.name;
        ASSERT_EQ(f.port->sent.size(), sentBefore + 1) << c.name;
        EXPECT_EQ(ParseRequest(f.port->sent.back())->body, "e") << c.name;
    }
    f.Drain();
    EXPECT_TRUE(f.prompt.shown().empty());
    EXPECT_TRUE(f.target.received.empty());
}

TEST_F(ProbeConnect, SilenceOrALateAnswerFailsAfterTheTimeOutWithOneFrameSent) {
    const std::int64_t start = f.clock.TickMilliseconds();
    EXPECT_FALSE(f.engine.ProbeConnect(300ms));
    EXPECT_GE(Elapsed(start), 300);
    EXPECT_LT(Elapsed(start), 400);  // not the transport's whole seconds and three tries
    EXPECT_EQ(f.port->sent.size(), 1u);

    AnswerAfter(350ms, [](std::uint16_t id) { return SlaveFrame(id, AckBody()); });
    EXPECT_FALSE(f.engine.ProbeConnect(300ms));
    EXPECT_EQ(f.port->sent.size(), 2u);
    EXPECT_FALSE(f.engine.LastReplyStatus());

    // A frame that is no reply (a bad LRC) is noise, not a logger.
    AnswerAfter(10ms, [](std::uint16_t id) {
        std::string frame = SlaveFrame(id, AckBody());
        frame[frame.size() - 2] = frame[frame.size() - 2] == '0' ? '1' : '0';
        return frame;
    });
    EXPECT_FALSE(f.engine.ProbeConnect(300ms));
    f.Drain();
    EXPECT_EQ(f.engine.TransferErrorCount(), 0u);
    EXPECT_TRUE(f.prompt.shown().empty());
    EXPECT_TRUE(f.target.received.empty());
}

TEST_F(ProbeConnect, CancelEndsTheWaitAndNoPortFailsAtOnce) {
    f.port->PostCall([] {});  // something to pump first
    f.clock.Schedule(50ms, [this] { f.port->PostCall([this] { f.engine.SetCancel(true); }); });
    const std::int64_t start = f.clock.TickMilliseconds();
    EXPECT_FALSE(f.engine.ProbeConnect(2000ms));
    EXPECT_LT(Elapsed(start), 200);
    f.engine.SetCancel(false);

    EngineFixture unopened;
    const std::int64_t before = unopened.clock.TickMilliseconds();
    EXPECT_FALSE(unopened.engine.ProbeConnect(500ms));
    EXPECT_EQ(unopened.clock.TickMilliseconds(), before);
}

}  // namespace
}  // namespace vantrel
