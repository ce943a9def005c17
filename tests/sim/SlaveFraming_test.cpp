// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SlaveFraming.h"

#include <gtest/gtest.h>

#include <cctype>

#include "sim/HexText.h"
#include "sim/SimTestFrames.h"

namespace vantrel::sim {
namespace {

using test::RequestFrame;

TEST(SlaveFramingTest, LrcAndFramesMatchTheKnownExamples) {
    EXPECT_EQ(ComputeLrc("abc"), 0xDA);
    EXPECT_EQ(RequestFrame(1, "e"), std::string("@m0001;eF2\0", 11));
    EXPECT_EQ(BuildReplyFrame(1, AckPayload()), std::string("@s0001;\x06"
                                                            "4B\0",
                                                            11));
    EXPECT_EQ(BuildReplyFrame(1, HoldOffPayload()), std::string("@s0001;!30\0", 11));
    EXPECT_EQ(NakPayload(LoggerError::FileLocked),
              "\x15"
              "0A");
    EXPECT_EQ(BuildReplyFrame(0x1000, "X").substr(0, 7), "@s1000;");
}

TEST(SlaveFramingTest, ParsesAWellFormedRequest) {
    const std::string wire = RequestFrame(0x0ABC, "f04\"A.TXT\"r");
    const auto request = ParseRequestFrame(std::string_view(wire).substr(0, wire.size() - 1));
    ASSERT_TRUE(request);
    EXPECT_EQ(request->id, 0x0ABC);
    EXPECT_EQ(request->body, "f04\"A.TXT\"r");
}

TEST(SlaveFramingTest, RejectsMalformedRequests) {
    const std::string good = RequestFrame(1, "e").substr(0, 10);  // "@m0001;eF2"
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"bad LRC", "@m0001;eF3"},
        {"lower-case LRC of a different value", "@m0001;e00"},
        {"slave initiator", "@s0001;e" + good.substr(8)},
        {"separator misplaced", "@m0001:eF2"},
        {"non-hex id", "@m00G1;eF2"},
        {"no body", RequestFrame(1, "").substr(0, 9)},
        {"too short", "@m01;F2"},
        {"empty", ""},
    };
    ASSERT_TRUE(ParseRequestFrame(good));
    for (const auto& c : cases) EXPECT_FALSE(ParseRequestFrame(c.text)) << c.what;
}

TEST(SlaveFramingTest, AcceptsLowerCaseLrcDigits) {
    // Id 0x000C, body "f05": LRC 0x7A, whose lower-case form differs from the upper-case one.
    std::string lower = RequestFrame(0x000C, "f05").substr(0, 12);
    ASSERT_EQ(lower.substr(10), "7A");
    for (std::size_t i = lower.size() - 2; i < lower.size(); ++i) {
        lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[i])));
    }
    EXPECT_TRUE(ParseRequestFrame(lower)) << lower;
}

TEST(SlaveFramingTest, AssemblerFindsFramesAmidNoiseAndAcrossFeeds) {
    FrameAssembler assembler;
    const std::string a = RequestFrame(1, "e");
    const std::string b = RequestFrame(2, "f01");

    // Noise before the first "@", a restarted frame, and a frame split over two feeds.
    auto out = assembler.Feed("xy" + std::string("@m00") + a + b.substr(0, 5));
    ASSERT_EQ(out.frames.size(), 1U);
    EXPECT_EQ(out.frames[0], a.substr(0, a.size() - 1));
    EXPECT_EQ(out.ignoredBytes, 2U + 4U);

    out = assembler.Feed(b.substr(5));
    ASSERT_EQ(out.frames.size(), 1U);
    EXPECT_EQ(out.frames[0], b.substr(0, b.size() - 1));
    EXPECT_EQ(out.ignoredBytes, 0U);
}

TEST(SlaveFramingTest, AssemblerDropsAnOversizeFrameAndRecovers) {
    FrameAssembler assembler;
    std::string huge = "@m0001;" + std::string(FrameAssembler::kMaxFrameBytes, 'A');
    huge += '\0';
    auto out = assembler.Feed(huge + RequestFrame(2, "e"));
    ASSERT_EQ(out.frames.size(), 1U);
    EXPECT_EQ(out.frames[0].substr(0, 7), "@m0002;");
}

TEST(HexTextTest, ConvertsBothWays) {
    EXPECT_EQ(ToHex(0x12C, 8), "0000012C");
    EXPECT_EQ(BytesToHex(std::string("\x00\xA1\xff", 3)), "00A1FF");
    EXPECT_EQ(HexToBytes("00a1FF"), std::string("\x00\xA1\xff", 3));
    EXPECT_FALSE(HexToBytes("0"));
    EXPECT_FALSE(HexToBytes("0G"));
    EXPECT_EQ(ParseHexNumber("0080"), 0x80U);
    EXPECT_FALSE(ParseHexNumber(""));
    EXPECT_FALSE(ParseHexNumber("12 4"));
    EXPECT_FALSE(ParseHexNumber("123456789"));
}

}  // namespace
}  // namespace vantrel::sim
