// SPDX-License-Identifier: GPL-3.0-or-later
// Request frames, the LRC, message ids, reply assembly and reply checks.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "link/Frame.h"
#include "link/LinkTestSupport.h"
#include "link/ReplyAssembler.h"
#include "link/ReplyParser.h"
#include "link/Requests.h"

namespace vantrel {
namespace {

using test::SlaveReply;
using test::WithLrc;

TEST(Frame, LrcIsTheNegatedByteSum) {
    EXPECT_EQ(ComputeLrc("abc"), 0xDA);
    EXPECT_EQ(ComputeLrc(""), 0x00);
    EXPECT_EQ(ComputeLrc(std::string("\x80\x80", 2)), 0x00);
}

TEST(Frame, ConnectRequestWithIdOne) {
    EXPECT_EQ(FrameRequest(1, "e"), "@m0001;eF2");
}

TEST(Frame, MessageIdsRunToHex1000ThenWrapToZero) {
    EXPECT_EQ(MessageIdAfter(0), 1);
    EXPECT_EQ(MessageIdAfter(0x0FFF), 0x1000);
    EXPECT_EQ(MessageIdAfter(0x1000), 0);
}

TEST(Frame, EngineIdsWrapAfter4096Requests) {
    test::EngineFixture f;
    for (int i = 0; i < 4095; ++i) f.engine.NextMessageId();
    EXPECT_EQ(f.engine.BuildRequest("e").substr(0, 7), "@m1000;");
    EXPECT_EQ(f.engine.BuildRequest("e").substr(0, 7), "@m0000;");
    EXPECT_EQ(f.engine.BuildRequest("e").substr(0, 7), "@m0001;");
    EXPECT_EQ(f.engine.ExpectedId(), 1);
}

struct ReplyCase {
    const char* name;
    std::string reply;
    std::uint16_t expectedId;
    bool accepted;
    ReplyStatus status;
    std::string message;
};

// CTest names a case by its name, not by the bytes of the structure.
void PrintTo(const ReplyCase& c, std::ostream* os) {
    *os << c.name;
}

class ReplyChecks : public testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyChecks, ClassifyAndExplain) {
    const ReplyCase& c = GetParam();
    const ReplyCheck check = CheckReply(c.reply, c.expectedId);
    EXPECT_EQ(check.accepted, c.accepted);
    EXPECT_EQ(check.status, c.status);
    EXPECT_EQ(check.message, c.message);
}

const std::string kBadLrc = "Invalid LRC, try lowering baud rates";
const std::string kBadId =
    "Invalid Message ID response, possibly out of sync, try lowering and matching baud rates";

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyChecks,
    testing::Values(
        ReplyCase{"Ack",
                  "@s0001;\x06"
                  "4B",
                  1, true, ReplyStatus::Ack, ""},
        ReplyCase{"HoldOffIsData", "@s0001;!30", 1, true, ReplyStatus::Data, ""},
        ReplyCase{"Data", SlaveReply(0x2A, "01"), 0x2A, true, ReplyStatus::Data, ""},
        ReplyCase{"BadLrc",
                  "@s0001;\x06"
                  "4C",
                  1, false, ReplyStatus::Malformed, kBadLrc},
        ReplyCase{"LrcNotHex",
                  "@s0001;\x06"
                  "ZZ",
                  1, false, ReplyStatus::Malformed, kBadLrc},
        ReplyCase{"Initiator", WithLrc("@m0001;\x06"), 1, false, ReplyStatus::Malformed,
                  "Malformed message (Initiator not Slave)"},
        ReplyCase{"Separator", WithLrc("@s0001:\x06"), 1, false, ReplyStatus::Malformed,
                  "Malformed message (separator misplaced)"},
        ReplyCase{"IdNotHex", WithLrc("@s00G1;\x06"), 1, false, ReplyStatus::Malformed, kBadId},
        ReplyCase{"TooShort", "@s", 1, false, ReplyStatus::Malformed, kBadLrc},
        ReplyCase{"Empty", "", 1, false, ReplyStatus::Malformed, kBadLrc},
        ReplyCase{"OlderId", SlaveReply(1, "\x06"), 2, false, ReplyStatus::Malformed, kBadId},
        ReplyCase{"NakEndOfList",
                  SlaveReply(1,
                             "\x15"
                             "09"),
                  1, false, ReplyStatus::EndOfList, ""},
        ReplyCase{"NakLocked",
                  SlaveReply(1,
                             "\x15"
                             "0A"),
                  1, false, ReplyStatus::Nak, "File Locked"},
        ReplyCase{"NakLockedLower",
                  SlaveReply(1,
                             "\x15"
                             "0a"),
                  1, false, ReplyStatus::Nak, "File Locked"},
        ReplyCase{"NakUnknown",
                  SlaveReply(1,
                             "\x15"
                             "0B"),
                  1, false, ReplyStatus::Nak, "**Unknown Error**"}),
    [](const testing::TestParamInfo<ReplyCase>& tested) { return std::string(tested.param.name); });

TEST(ReplyChecks, LowerCaseLrcDigitsAreAccepted) {
    const ReplyCheck check = CheckReply(
        "@s0001;\x06"
        "4b",
        1);
    EXPECT_TRUE(check.accepted);
    EXPECT_EQ(check.status, ReplyStatus::Ack);
}

TEST(ReplyChecks, HoldOffOnlyForTheExpectedIdAndWellFormed) {
    EXPECT_TRUE(IsHoldOff("@s0001;!30", 1));
    EXPECT_FALSE(IsHoldOff("@s0001;!30", 2));
    EXPECT_FALSE(IsHoldOff("@s0001;!31", 1));
    EXPECT_FALSE(IsHoldOff(SlaveReply(1, ""), 1));  // too short to hold the "!"
    EXPECT_FALSE(IsHoldOff(SlaveReply(1, "\x06"), 1));
}

TEST(ReplyChecks, ErrorTexts) {
    const std::vector<std::pair<int, std::string>> table = {{0, "No Error"},
                                                            {1, "Invalid Argument"},
                                                            {2, "Communications Inactive"},
                                                            {3, "Invalid Command"},
                                                            {4, "File Error"},
                                                            {5, "Invalid Filename"},
                                                            {6, "Invalid Handle"},
                                                            {7, "File Opening Error"},
                                                            {8, "Measurement Error"},
                                                            {9, ""},
                                                            {10, "File Locked"},
                                                            {11, "**Unknown Error**"},
                                                            {-1, "**Unknown Error**"}};
    for (const auto& [code, text] : table) EXPECT_EQ(ErrorText(code), text) << code;
}

TEST(ReplyAssembler, IgnoresBytesBeforeTheFirstAt) {
    ReplyAssembler assembler;
    for (const char c : std::string("junk\0@s01", 9)) EXPECT_FALSE(assembler.OnByte(c));
    EXPECT_TRUE(assembler.OnByte(0));
    EXPECT_EQ(assembler.CurrentReply(), "@s01");
    EXPECT_TRUE(assembler.ReplyReady());
    EXPECT_EQ(assembler.FrameLength(), 0u);
}

TEST(ReplyAssembler, SecondAtRestartsTheFrame) {
    ReplyAssembler assembler;
    for (const char c : std::string("@s00@s0001;")) assembler.OnByte(c);
    EXPECT_EQ(assembler.FrameLength(), 7u);
    assembler.OnByte(0);
    EXPECT_EQ(assembler.CurrentReply(), "@s0001;");
}

TEST(ReplyAssembler, FrameOf4094BytesIsKeptOneMoreIsLost) {
    ReplyAssembler assembler;
    const std::string longest = "@" + std::string(4092, 'x');  // 4093 + NUL = 4094 bytes
    for (const char c : longest) assembler.OnByte(c);
    EXPECT_TRUE(assembler.OnByte(0));
    EXPECT_EQ(assembler.CurrentReply().size(), 4093u);

    ReplyAssembler overflow;
    for (const char c : longest + "y") overflow.OnByte(c);
    EXPECT_FALSE(overflow.OnByte(0));
    EXPECT_FALSE(overflow.ReplyReady());
    EXPECT_FALSE(overflow.InFrame());
}

TEST(Requests, BodiesAreExact) {
    // Names a request can carry: printable ASCII up to the longest length, no quote or '@'.
    EXPECT_TRUE(CanCarryFileName(std::string(kMaxFileNameLength, 'A')));
    EXPECT_FALSE(CanCarryFileName(std::string(kMaxFileNameLength + 1, 'A')));
    EXPECT_TRUE(CanCarryFileName(" ~"));
    EXPECT_FALSE(CanCarryFileName("A\x7F"));
    EXPECT_FALSE(CanCarryFileName("A\x1F"));
    EXPECT_FALSE(CanCarryFileName(""));
    EXPECT_EQ(request::Connect(), "e");
    EXPECT_EQ(request::CloseLink(), "c");
    EXPECT_EQ(request::GetFileCount(), "f01");
    EXPECT_EQ(request::GetFirstFileInfo(), "f02");
    EXPECT_EQ(request::GetNextFileInfo(), "f03");
    EXPECT_EQ(request::OpenForReading("USERSOIL.CFG01"), "f04\"USERSOIL.CFG01\"r");
    EXPECT_EQ(request::CloseHandle(1), "f0501");
    EXPECT_EQ(request::CloseHandle(12), "f050C");
    EXPECT_EQ(request::ReadBlock(1, 128), "f06010080");
    EXPECT_EQ(request::CreateFile("USERSOIL.CFG01"), "f10\"USERSOIL.CFG01\"");
    EXPECT_EQ(request::WriteBlock(1, "A1B2"), "f09010002A1B2");
    EXPECT_EQ(request::WriteBlock(12, "a1b2cdef"), "f090C0004A1B2CDEF");  // kept in lower case
    EXPECT_EQ(request::DeleteFile("USERSOIL.CFG01"), "f11\"USERSOIL.CFG01\"");
}

TEST(Requests, RepliesAreRead) {
    const auto info = reply::FileInfo(SlaveReply(3, "\"DATA\"X.01\"0000012C07E80102030405"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, "DATA\"X.01");  // up to the last quote
    EXPECT_EQ(info->size, 300u);
    EXPECT_EQ(info->created, (LoggerFileStamp{2024, 1, 2, 3, 4, 5}));
    EXPECT_FALSE(reply::FileInfo(SlaveReply(3, "\"NOQUOTE")));
    EXPECT_FALSE(reply::FileInfo(SlaveReply(3, "\"A\"12")));
    EXPECT_FALSE(reply::FileInfo(SlaveReply(3, "\"0000012C07E80102030405")));  // one quote

    // Decimal, as the logger sends it; a one-digit handle may come blank-padded.
    const std::vector<std::pair<std::string, int>> handles = {
        {"12", 12}, {"07", 7}, {"00", 0}, {"99", 99}, {" 7", 7}};
    for (const auto& [data, handle] : handles) {
        EXPECT_EQ(reply::FileHandle(SlaveReply(3, data)), handle) << '"' << data << '"';
    }
    for (const char* data : {"0A", "7 ", "  ", " A", "7", "-1"}) {
        EXPECT_FALSE(reply::FileHandle(SlaveReply(3, data))) << '"' << data << '"';
    }
    EXPECT_EQ(reply::FileCount(SlaveReply(3, "1F0000")), 31);
    EXPECT_EQ(reply::BlockCount(SlaveReply(3, "0002A1B2")), 2u);
    EXPECT_EQ(reply::BlockData(SlaveReply(3, "0002A1B2")), "A1B2");
    EXPECT_FALSE(reply::BlockCount(SlaveReply(3, "00")));
}

}  // namespace
}  // namespace vantrel
