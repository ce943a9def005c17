// SPDX-License-Identifier: GPL-3.0-or-later
// The file-system requests as the link sends them, answered byte for byte.

#include <gtest/gtest.h>

#include "sim/HexText.h"
#include "sim/LoggerEngine.h"
#include "sim/SimTestFrames.h"

namespace vantrel::sim {
namespace {

using test::kAckPayload;
using test::Master;
using test::Nak;

constexpr CivilTime kImageTime{2024, 3, 15, 10, 20, 30};
constexpr CivilTime kNow{2026, 12, 7, 8, 9, 10};

std::string Bytes300() {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 7 + 3);
    return bytes;
}

LoggerFileSystem SampleImage() {
    LoggerFileSystem files;
    files.Put("USERSOIL.CFG01", "hello", kImageTime);
    files.Put("PRO01.DAT00", Bytes300(), kImageTime);
    return files;
}

class EngineCommandsTest : public ::testing::Test {
protected:
    LoggerEngine engine{SampleImage(), {}, [] { return kNow; }};
    Master master{engine};
};

TEST_F(EngineCommandsTest, ListsFilesInNameOrderThenRefusesWithCode9) {
    EXPECT_EQ(master.Ask("e"), kAckPayload);
    EXPECT_EQ(master.Ask("f01"), "020009");
    EXPECT_EQ(master.Ask("f02"), "\"PRO01.DAT00\"0000012C07E8030F0A141E");
    EXPECT_EQ(master.Ask("f03"), "\"USERSOIL.CFG01\"0000000507E8030F0A141E");
    EXPECT_EQ(master.Ask("f03"), Nak(9));
    EXPECT_EQ(master.Ask("f03"), Nak(9));
    // Get First starts the listing over.
    EXPECT_EQ(master.Ask("f02").substr(0, 13), "\"PRO01.DAT00\"");
    EXPECT_EQ(master.Ask("c"), kAckPayload);
}

TEST(EngineEmptyTest, EmptyFileSystemRefusesTheFirstFileWithCode9) {
    LoggerEngine engine{LoggerFileSystem{}};
    Master master{engine};
    EXPECT_EQ(master.Ask("f01"), "000009");
    EXPECT_EQ(master.Ask("f02"), Nak(9));
    EXPECT_EQ(master.Ask("f03"), Nak(9));
}

TEST_F(EngineCommandsTest, ReadsAFileIn128128And44ByteBlocks) {
    const std::string expected = Bytes300();
    EXPECT_EQ(master.Ask("f04\"PRO01.DAT00\"r"), "01");
    EXPECT_EQ(master.Ask("f06010080"), "0080" + BytesToHex(expected.substr(0, 128)));
    EXPECT_EQ(master.Ask("f06010080"), "0080" + BytesToHex(expected.substr(128, 128)));
    EXPECT_EQ(master.Ask("f06010080"), "002C" + BytesToHex(expected.substr(256)));
    EXPECT_EQ(master.Ask("f06010080"), "0000");  // at the end: nothing more
    EXPECT_EQ(master.Ask("f0501"), kAckPayload);
    EXPECT_EQ(master.Ask("f0501"), Nak(6));  // already closed
}

TEST_F(EngineCommandsTest, CreatesWritesAndStoresAFileOnClose) {
    EXPECT_EQ(master.Ask("f10\"NEW.CFG00\""), "01");
    EXPECT_EQ(master.Ask("f09010002A1B2"), "0002");
    EXPECT_EQ(master.Ask("f09010003c3d4e5"), "0003");  // lower-case digits accepted
    EXPECT_EQ(engine.files().Find("NEW.CFG00"), nullptr) << "stored only when closed";
    EXPECT_EQ(master.Ask("f0501"), kAckPayload);
    const LoggerFile* stored = engine.files().Find("NEW.CFG00");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->bytes, "\xA1\xB2\xC3\xD4\xE5");
    EXPECT_EQ(stored->created, kNow);

    // Creating an existing name replaces the file.
    EXPECT_EQ(master.Ask("f10\"USERSOIL.CFG01\""), "01");
    EXPECT_EQ(master.Ask("f0501"), kAckPayload);
    EXPECT_EQ(engine.files().Find("USERSOIL.CFG01")->bytes, "");
}

TEST_F(EngineCommandsTest, DeletesFilesButNotOpenOrUnknownOnes) {
    EXPECT_EQ(master.Ask("f04\"USERSOIL.CFG01\"r"), "01");
    EXPECT_EQ(master.Ask("f11\"USERSOIL.CFG01\""), Nak(0x0A));
    EXPECT_EQ(master.Ask("f10\"USERSOIL.CFG01\""), Nak(0x0A));
    EXPECT_EQ(master.Ask("f0501"), kAckPayload);
    EXPECT_EQ(master.Ask("f11\"USERSOIL.CFG01\""), kAckPayload);
    EXPECT_EQ(engine.files().Find("USERSOIL.CFG01"), nullptr);
    EXPECT_EQ(master.Ask("f11\"USERSOIL.CFG01\""), Nak(4));
    EXPECT_EQ(master.Ask("f01"), "010009");
}

TEST_F(EngineCommandsTest, RefusesBadRequestsWithTheirErrorCodes) {
    const struct {
        const char* body;
        int code;
    } cases[] = {
        {"x", 3},    // unknown command
        {"f7F", 3},  // unknown file sub-command
        {"fZZ", 3},  // sub-command not hex
        {"e1", 1},   // extra arguments
        {"f01X", 1},
        {"f04\"\"r", 5},               // empty name
        {"f04\"../etc/passwd\"r", 5},  // path in a name
        {"f04\".hidden\"r", 5},
        {"f04\"NO QUOTE", 5},
        {"f10\"A\\B\"", 5},
        {"f04\"PRO01.DAT00\"w", 1},  // only "r" opens for reading
        {"f04\"MISSING.DAT\"r", 7},  // unknown name
        {"f11\"MISSING.DAT\"", 4},
        {"f0500", 6},  // handles run 1..9
        {"f050A", 6},
        {"f0503", 6},  // not open
        {"f05ZZ", 1},
        {"f051", 1},
        {"f06030080", 6},
        {"f060100", 1},
        {"f0601FFFF", 1},    // more than a block
        {"f090100010A", 6},  // handle 1 not open
        {"f090100020A", 1},  // count says 2, data holds 1
    };
    for (const auto& c : cases) EXPECT_EQ(master.Ask(c.body), Nak(c.code)) << c.body;
}

TEST_F(EngineCommandsTest, RefusesMalformedWriteBlocks) {
    ASSERT_EQ(master.Ask("f10\"W.TXT\""), "01");
    EXPECT_EQ(master.Ask("f09010003A1B2"), Nak(1));  // count says 3, data holds 2
    EXPECT_EQ(master.Ask("f09010002A1B"), Nak(1));   // odd digit count
    EXPECT_EQ(master.Ask("f09010002A1XX"), Nak(1));
    ASSERT_EQ(master.Ask("f04\"PRO01.DAT00\"r"), "02");
    EXPECT_EQ(master.Ask("f09020001AA"), Nak(6));  // a reading handle
    EXPECT_EQ(master.Ask("f06010001"), Nak(6));    // a writing handle
    ASSERT_EQ(master.Ask("f0501"), kAckPayload);
    EXPECT_EQ(engine.files().Find("W.TXT")->bytes, "");
}

TEST_F(EngineCommandsTest, GivesOutNineHandlesAtMost) {
    for (int i = 1; i <= 9; ++i) {
        EXPECT_EQ(master.Ask("f04\"PRO01.DAT00\"r"), "0" + std::to_string(i));
    }
    EXPECT_EQ(master.Ask("f04\"PRO01.DAT00\"r"), Nak(7));
    EXPECT_EQ(master.Ask("f10\"X.TXT\""), Nak(4));
    EXPECT_EQ(master.Ask("f01"), "020900");
    EXPECT_EQ(master.Ask("f0505"), kAckPayload);
    EXPECT_EQ(master.Ask("f10\"X.TXT\""), "05");
}

TEST_F(EngineCommandsTest, ConnectReleasesHandlesOfAnAbandonedConversation) {
    ASSERT_EQ(master.Ask("f10\"HALF.TXT\""), "01");
    ASSERT_EQ(master.Ask("f09010001AA"), "0001");
    EXPECT_EQ(master.Ask("e"), kAckPayload);
    EXPECT_EQ(master.Ask("f0501"), Nak(6));
    EXPECT_EQ(engine.files().Find("HALF.TXT"), nullptr) << "an unclosed file is not stored";
}

TEST_F(EngineCommandsTest, FramesWithABadLrcGetNoReply) {
    std::string frame = test::RequestFrame(7, "e");
    frame[frame.size() - 2] = frame[frame.size() - 2] == '0' ? '1' : '0';
    const auto output = engine.Receive(frame);
    ASSERT_EQ(output.exchanges.size(), 1U);
    EXPECT_TRUE(output.exchanges[0].replies.empty());
    EXPECT_FALSE(output.exchanges[0].note.empty());
}

}  // namespace
}  // namespace vantrel::sim
