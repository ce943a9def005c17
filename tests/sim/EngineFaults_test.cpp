// SPDX-License-Identifier: GPL-3.0-or-later
// Retries and fault injection: whatever the faults, a master that retries as the link does
// must end with exactly the logger's bytes, and the logger with exactly the master's.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "sim/HexText.h"
#include "sim/LoggerEngine.h"
#include "sim/SimTestFrames.h"

namespace vantrel::sim {
namespace {

using test::kAckPayload;
using test::Master;
using test::Nak;
using test::RequestFrame;

std::string Pattern(std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>((i * 31 + i / 7) & 0xFF);
    return bytes;
}

LoggerFileSystem OneFile(std::string name, std::string bytes) {
    LoggerFileSystem files;
    files.Put(std::move(name), std::move(bytes), {});
    return files;
}

// The payload of a reply that a master would accept for `id`; nullopt otherwise.
std::optional<std::string> AcceptedPayload(const std::string& frame, std::uint16_t id) {
    if (frame.size() < 11) return std::nullopt;
    const std::string payload = frame.substr(7, frame.size() - 10);
    if (frame != test::ReplyFrame(id, payload)) return std::nullopt;
    return payload;
}

// A master with the link's retry rule: up to 3 sends of the identical frame; a hold-off
// means "wait for the next frame"; a NAK other than code 9 or a bad frame means "retry".
class RetryingMaster {
public:
    explicit RetryingMaster(LoggerEngine& engine) : engine_(engine) {}

    std::optional<std::string> Transact(const std::string& body) {
        const std::uint16_t id = ++id_;
        for (int attempt = 0; attempt < 3; ++attempt) {
            const auto output = engine_.Receive(RequestFrame(id, body));
            std::optional<std::string> payload;
            for (const TimedReply& reply : output.exchanges.at(0).replies) {
                payload = AcceptedPayload(reply.bytes, id);
                if (payload && *payload == "!") continue;  // hold-off: the answer follows
                break;
            }
            if (payload && *payload != "!" && (payload->front() != '\x15' || *payload == Nak(9))) {
                return payload;
            }
            ++retries;
        }
        return std::nullopt;
    }

    std::optional<std::string> Download(const std::string& name, std::size_t size) {
        const auto handle = Transact("f04\"" + name + "\"r");
        if (!handle) return std::nullopt;
        const std::string h = "0" + handle->substr(1, 1);
        std::string content;
        while (content.size() < size) {
            const std::size_t want = std::min<std::size_t>(128, size - content.size());
            const auto block = Transact("f06" + h + ToHex(static_cast<std::uint32_t>(want), 4));
            if (!block) return std::nullopt;
            const auto count = ParseHexNumber(block->substr(0, 4));
            const auto bytes = HexToBytes(block->substr(4));
            if (!count || !bytes || *count != bytes->size() || *count == 0 || *count > want) {
                return std::nullopt;
            }
            content += *bytes;
        }
        if (Transact("f05" + h) != kAckPayload) return std::nullopt;
        return content;
    }

    bool Upload(const std::string& name, const std::string& content) {
        const auto handle = Transact("f10\"" + name + "\"");
        if (!handle) return false;
        const std::string h = "0" + handle->substr(1, 1);
        std::size_t sent = 0;
        while (sent < content.size()) {
            const std::size_t n = std::min<std::size_t>(128, content.size() - sent);
            const auto accepted = Transact("f09" + h + ToHex(static_cast<std::uint32_t>(n), 4) +
                                           BytesToHex(content.substr(sent, n)));
            const auto count = accepted ? ParseHexNumber(*accepted) : std::nullopt;
            if (!count || *count == 0 || *count > n) return false;
            sent += *count;
        }
        return Transact("f05" + h) == kAckPayload;
    }

    int retries = 0;

private:
    LoggerEngine& engine_;
    std::uint16_t id_ = 0;
};

TEST(EngineRetryTest, RepeatedReadBlockResendsTheSameBlock) {
    const std::string data = Pattern(300);
    LoggerEngine engine{OneFile("D.DAT", data)};
    Master master{engine};
    ASSERT_EQ(master.Ask("f04\"D.DAT\"r"), "01");
    const std::string first = master.Ask("f06010080");
    EXPECT_EQ(master.Retry("f06010080"), first);
    EXPECT_EQ(master.Retry("f06010080"), first);
    EXPECT_EQ(master.Ask("f06010080"), "0080" + BytesToHex(data.substr(128, 128)))
        << "a new id reads on";
}

TEST(EngineRetryTest, RepeatedWriteCreateCloseAndDeleteActOnce) {
    LoggerEngine engine{OneFile("OLD.TXT", "x")};
    Master master{engine};
    ASSERT_EQ(master.Ask("f10\"NEW.TXT\""), "01");
    EXPECT_EQ(master.Retry("f10\"NEW.TXT\""), "01") << "no second handle";
    ASSERT_EQ(master.Ask("f09010002A1B2"), "0002");
    EXPECT_EQ(master.Retry("f09010002A1B2"), "0002");
    ASSERT_EQ(master.Ask("f0501"), kAckPayload);
    EXPECT_EQ(master.Retry("f0501"), kAckPayload) << "not NAK 06 for the retry";
    EXPECT_EQ(engine.files().Find("NEW.TXT")->bytes, "\xA1\xB2");

    ASSERT_EQ(master.Ask("f11\"OLD.TXT\""), kAckPayload);
    EXPECT_EQ(master.Retry("f11\"OLD.TXT\""), kAckPayload) << "not NAK 04 for the retry";
    EXPECT_EQ(master.Ask("f11\"OLD.TXT\""), Nak(4)) << "a new request is executed";
}

TEST(EngineRetryTest, RepeatedGetNextFileInfoDoesNotSkipAFile) {
    LoggerFileSystem files;
    for (const char* name : {"A", "B", "C"}) files.Put(name, "", {});
    LoggerEngine engine{std::move(files)};
    Master master{engine};
    ASSERT_EQ(master.Ask("f02").substr(0, 3), "\"A\"");
    ASSERT_EQ(master.Ask("f03").substr(0, 3), "\"B\"");
    EXPECT_EQ(master.Retry("f03").substr(0, 3), "\"B\"");
    EXPECT_EQ(master.Ask("f03").substr(0, 3), "\"C\"");
}

// One fault switch at "every 1": the first attempt of every request is faulted, the retry
// (the identical frame) is answered normally.
struct SwitchCase {
    const char* name;
    FaultOptions options;
};

void PrintTo(const SwitchCase& c, std::ostream* os) {
    *os << c.name;
}

class EngineFaultSwitchTest : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(EngineFaultSwitchTest, FaultedFirstAttemptThenCleanRetry) {
    LoggerEngine engine{OneFile("F.TXT", "abc"), GetParam().options};
    Master master{engine};
    const auto first = master.Send(1, "f11\"F.TXT\"");
    const std::string clean = BuildReplyFrame(1, AckPayload());
    const FaultOptions& o = GetParam().options;
    if (o.dropEvery) {
        EXPECT_TRUE(first.empty());
    } else if (o.badLrcEvery) {
        ASSERT_EQ(first.size(), 1U);
        EXPECT_EQ(first[0].bytes.substr(0, 8), clean.substr(0, 8));
        EXPECT_NE(first[0].bytes, clean);
        EXPECT_FALSE(AcceptedPayload(first[0].bytes, 1));
    } else if (o.staleIdEvery) {
        ASSERT_EQ(first.size(), 1U);
        EXPECT_EQ(first[0].bytes, BuildReplyFrame(0, AckPayload()));
    } else if (o.nakEvery) {
        ASSERT_EQ(first.size(), 1U);
        EXPECT_EQ(first[0].bytes, BuildReplyFrame(1, Nak(4)));
        EXPECT_NE(engine.files().Find("F.TXT"), nullptr) << "a NAK'd request must not act";
    } else if (o.holdOffEvery) {
        ASSERT_EQ(first.size(), 2U);
        EXPECT_EQ(first[0].bytes, std::string("@s0001;!30\0", 11));
        EXPECT_EQ(first[0].delay.count(), 0);
        EXPECT_EQ(first[1].bytes, clean);
        EXPECT_EQ(first[1].delay, o.holdOffDelay);
    }
    EXPECT_EQ(master.Send(1, "f11\"F.TXT\"").at(0).bytes, clean);
    EXPECT_EQ(engine.files().Find("F.TXT"), nullptr);
}

FaultOptions With(std::uint32_t FaultOptions::*field) {
    FaultOptions options;
    options.*field = 1;
    options.holdOffDelay = std::chrono::milliseconds{700};
    return options;
}

INSTANTIATE_TEST_SUITE_P(EverySwitch, EngineFaultSwitchTest,
                         ::testing::Values(SwitchCase{"drop", With(&FaultOptions::dropEvery)},
                                           SwitchCase{"badLrc", With(&FaultOptions::badLrcEvery)},
                                           SwitchCase{"staleId", With(&FaultOptions::staleIdEvery)},
                                           SwitchCase{"nak", With(&FaultOptions::nakEvery)},
                                           SwitchCase{"holdOff",
                                                      With(&FaultOptions::holdOffEvery)}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(EngineFaultTest, FaultRetriesLetsEveryAttemptFail) {
    FaultOptions options = With(&FaultOptions::dropEvery);
    options.faultRetries = true;
    LoggerEngine engine{LoggerFileSystem{}, options};
    Master master{engine};
    for (int attempt = 0; attempt < 3; ++attempt) EXPECT_TRUE(master.Send(1, "e").empty());
}

TEST(EngineFaultTest, FaultsAreDeterministicForASeedAndNearOneInN) {
    const auto pattern = [](std::uint64_t seed) {
        FaultOptions options;
        options.nakEvery = 4;
        options.seed = seed;
        LoggerEngine engine{LoggerFileSystem{}, options};
        std::string faults;
        for (std::uint16_t id = 1; id <= 400; ++id) {
            const auto reply = engine.Receive(RequestFrame(id, "f01")).exchanges.at(0).replies;
            faults += reply.at(0).bytes.find('\x15') != std::string::npos ? 'N' : '.';
        }
        return faults;
    };
    const std::string a = pattern(7);
    EXPECT_EQ(a, pattern(7));
    EXPECT_NE(a, pattern(8));
    const auto naks = std::count(a.begin(), a.end(), 'N');
    EXPECT_GT(naks, 60);
    EXPECT_LT(naks, 140);
}

TEST(EngineFaultTest, ShortBlocksMoveFewerBytesButNeverNone) {
    FaultOptions options;
    options.shortBlocks = true;
    options.seed = 3;
    const std::string data = Pattern(600);
    LoggerEngine engine{OneFile("D.DAT", data), options};
    RetryingMaster master{engine};

    std::size_t shortReads = 0;
    Master plain{engine};
    ASSERT_EQ(plain.Ask("f04\"D.DAT\"r"), "01");
    for (int i = 0; i < 5; ++i) {
        const std::string block = plain.Ask("f06010080");
        const auto count = ParseHexNumber(block.substr(0, 4));
        ASSERT_TRUE(count);
        EXPECT_GE(*count, 1U);
        EXPECT_LT(*count, 128U);
        shortReads += *count < 128 ? 1 : 0;
    }
    EXPECT_EQ(shortReads, 5U);
    ASSERT_EQ(plain.Ask("f0501"), kAckPayload);

    EXPECT_EQ(master.Download("D.DAT", data.size()), data);
    ASSERT_TRUE(master.Upload("UP.DAT", data));
    EXPECT_EQ(engine.files().Find("UP.DAT")->bytes, data);
}

TEST(EngineFaultTest, TransfersStayByteIdenticalUnderEveryFault) {
    for (std::uint64_t seed = 1; seed <= 5; ++seed) {
        FaultOptions options;
        options.dropEvery = options.badLrcEvery = options.staleIdEvery = options.nakEvery =
            options.holdOffEvery = 5;
        options.shortBlocks = true;
        options.seed = seed;
        const std::string data = Pattern(5000);
        LoggerEngine engine{OneFile("BIG.DAT", data), options};
        RetryingMaster master{engine};

        ASSERT_EQ(master.Transact("e"), kAckPayload);
        EXPECT_EQ(master.Download("BIG.DAT", data.size()), data) << "seed " << seed;
        ASSERT_TRUE(master.Upload("COPY.DAT", data)) << "seed " << seed;
        EXPECT_EQ(engine.files().Find("COPY.DAT")->bytes, data) << "seed " << seed;
        ASSERT_EQ(master.Transact("f11\"BIG.DAT\""), kAckPayload);
        EXPECT_EQ(engine.files().Find("BIG.DAT"), nullptr);
        EXPECT_GT(master.retries, 10) << "the faults did fire";
    }
}

}  // namespace
}  // namespace vantrel::sim
