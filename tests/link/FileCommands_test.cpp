// SPDX-License-Identifier: GPL-3.0-or-later
// The logger file-system requests and the operations built on them, against a scripted
// logger behind the fake port.
#include <gtest/gtest.h>

#include "link/LinkTestSupport.h"
#include "link/LinkTexts.h"
#include "link/ListingGuard.h"

namespace vantrel {
namespace {

using test::EngineFixture;
using test::FakePort;
using test::HexOf;
using test::ScriptedLogger;

class FileCommands : public testing::Test {
protected:
    void SetUp() override {
        f.responder = [this](FakePort& port, const std::string& frame) {
            logger.Answer(port, frame);
        };
    }
    void OpenLink() { f.OpenFakeLink(); }
    std::vector<std::string> Bodies(const std::string& prefix) const {
        std::vector<std::string> matching;
        for (const auto& body : logger.bodies) {
            if (body.rfind(prefix, 0) == 0) matching.push_back(body);
        }
        return matching;
    }

    EngineFixture f;
    ScriptedLogger logger;
    const LinkSettings settings{"ttyFAKE1", 19200};
};

// How the statuses showing `text` were posted: "item" when all as the item of a step (screen
// readers are not told of them), "step" when none was, "mixed" or "none" otherwise.
std::string PostedAs(const test::RecordingTarget& target, const std::string& text) {
    int items = 0;
    int steps = 0;
    for (const Notification& n : target.received) {
        if (n.kind == NotificationKind::WM_LINK_STATUS && n.text == text)
            ++(n.item ? items : steps);
    }
    if (items + steps == 0) return "none";
    return steps == 0 ? "item" : items == 0 ? "step" : "mixed";
}

std::string Bytes(std::size_t count) {
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i) bytes += static_cast<char>((i * 7 + 3) & 0xFF);
    return bytes;
}

TEST_F(FileCommands, ListingOfThreeFiles) {
    logger.files = {{"A.DAT", Bytes(10)}, {"B.CFG", Bytes(300)}, {"C.ID", ""}};
    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    EXPECT_TRUE(f.engine.ListFiles(&f.target, settings, names, sizes));
    EXPECT_EQ(logger.bodies,
              (std::vector<std::string>{"e", "f01", "f02", "f03", "f03", "f03", "c"}));
    EXPECT_EQ(names, (std::vector<std::string>{"A.DAT", "B.CFG", "C.ID"}));
    EXPECT_EQ(sizes, (std::vector<std::uint32_t>{10, 300, 0}));
    f.Drain();
    std::vector<std::uint32_t> progress;
    for (const auto& n : f.target.received) {
        if (n.text == "Retrieving File Info") progress.push_back(n.value);
    }
    EXPECT_EQ(progress, (std::vector<std::uint32_t>{0, 33, 66, 100}));
    EXPECT_FALSE(f.target.received.back().text.has_value());
    EXPECT_TRUE(f.prompt.shown().empty());
}

TEST_F(FileCommands, ListingProgressIsHundredTimesFilesListedByThisCallOverTheCount) {
    struct Case {
        const char* name;
        std::optional<unsigned> reportedCount;
        std::vector<std::string> namesBefore;
        std::vector<std::uint32_t> expected;
    };
    const std::vector<Case> cases = {
        // The caller's lists are appended to; only this listing's files count.
        {"lists already holding a name", std::nullopt, {"OLD"}, {0, 33, 66, 100}},
        // The logger's count is taken as it is, even when it falls short of its listing.
        {"count short of the listing", 2u, {}, {0, 50, 100, 150}},
        {"count of zero", 0u, {}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EngineFixture fixture;
        ScriptedLogger scripted;
        scripted.files = {{"A.DAT", "1"}, {"B.CFG", "22"}, {"C.ID", ""}};
        scripted.reportedCount = c.reportedCount;
        fixture.responder = [&](FakePort& port, const std::string& frame) {
            scripted.Answer(port, frame);
        };
        std::vector<std::string> names = c.namesBefore;
        std::vector<std::uint32_t> sizes(c.namesBefore.size(), 0);
        EXPECT_TRUE(fixture.engine.ListFiles(&fixture.target, settings, names, sizes));
        EXPECT_EQ(names.size(), c.namesBefore.size() + 3);
        fixture.Drain();
        std::vector<std::uint32_t> progress;
        for (const auto& n : fixture.target.received) {
            if (n.text == "Retrieving File Info") progress.push_back(n.value);
        }
        EXPECT_EQ(progress, c.expected);
    }
}

TEST(ListingGuard, GivesUpForGoodAtARepeatedName) {
    ListingGuard repeats;
    EXPECT_TRUE(repeats.Accept("A.TXT"));
    EXPECT_TRUE(repeats.Accept("B.TXT"));
    EXPECT_EQ(repeats.Message(), "");
    EXPECT_FALSE(repeats.Accept("A.TXT"));
    EXPECT_FALSE(repeats.Accept("C.TXT")) << "given up for good";
    EXPECT_EQ(repeats.Message(),
              "The vantrel's list of files does not end: it named \"A.TXT\" a second time. The "
              "listing was given up.");

    // The bound of 10000 names is exercised by the operations against a logger that
    // never ends its listing.
}

TEST_F(FileCommands, ListingOfAnEmptyLoggerFailsAtTheFirstFile) {
    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    EXPECT_FALSE(f.engine.ListFiles(&f.target, settings, names, sizes));
    f.Drain();
    EXPECT_EQ(f.target.StatusTexts().back(), "Unable to retrieve first file info");
    EXPECT_EQ(logger.bodies.back(), "c");
}

TEST_F(FileCommands, PrologueFailuresShowTheirBoxesAndPost) {
    f.failOpen = true;
    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    EXPECT_FALSE(f.engine.ListFiles(&f.target, settings, names, sizes));
    f.Drain();
    ASSERT_EQ(f.prompt.shown().size(), 1u);
    EXPECT_EQ(f.prompt.shown()[0].text, texts::kCouldNotOpenPort);
    EXPECT_EQ(f.prompt.shown()[0].caption, "Error opening port");
    EXPECT_EQ(f.target.StatusTexts(), std::vector<std::string>{"Failed to open port"});

    f.failOpen = false;
    f.responder = nullptr;  // a logger that is switched off
    f.prompt.Clear();
    f.target.received.clear();
    EXPECT_FALSE(f.engine.DeleteFiles(&f.target, settings, {"A"}));
    f.Drain();
    ASSERT_EQ(f.prompt.shown().size(), 1u);
    EXPECT_EQ(f.prompt.shown()[0].caption, "Error connecting to Vantrel");
    EXPECT_EQ(f.target.StatusTexts().back(), "Failed to connect");
}

TEST_F(FileCommands, BadBaudRateKeepsTheOpenPort) {
    OpenLink();
    FakePort* before = f.port;
    EXPECT_FALSE(f.engine.OpenLink("ttyFAKE1", 4800));
    EXPECT_EQ(f.engine.LastOpenFailure().error, PortOpenError::BadBaudRate);
    EXPECT_TRUE(f.engine.HasOpenPort());
    EXPECT_EQ(f.port, before);
}

TEST_F(FileCommands, RetrieveReadsBlocksOf128UntilTheSizeIsReached) {
    OpenLink();
    logger.files = {{"B.CFG", Bytes(300)}};
    std::string content;
    EXPECT_TRUE(f.engine.RetrieveFile("B.CFG", 300, content));
    EXPECT_EQ(content, HexOf(Bytes(300)));
    EXPECT_EQ(logger.bodies, (std::vector<std::string>{"f04\"B.CFG\"r", "f06010080", "f06010080",
                                                       "f0601002C", "f0501"}));
    EXPECT_EQ(f.engine.StatusText(), "Retrieving B.CFG");
    f.Drain();
    EXPECT_EQ(PostedAs(f.target, "Retrieving B.CFG"), "item");
}

TEST_F(FileCommands, ShortReadsAskForTheRest) {
    OpenLink();
    logger.files = {{"B.CFG", Bytes(300)}};
    logger.maxReadBytes = 100;
    std::string content;
    EXPECT_TRUE(f.engine.RetrieveFile("B.CFG", 300, content));
    EXPECT_EQ(content, HexOf(Bytes(300)));
    EXPECT_EQ(Bodies("f06"), (std::vector<std::string>{"f06010080", "f06010080", "f06010064"}));
}

TEST_F(FileCommands, ZeroSizeFileIsOpenedAndClosedWithoutReading) {
    OpenLink();
    logger.files = {{"C.ID", ""}};
    std::string content = "stale";
    EXPECT_TRUE(f.engine.RetrieveFile("C.ID", 0, content));
    EXPECT_TRUE(content.empty());
    EXPECT_EQ(logger.bodies, (std::vector<std::string>{"f04\"C.ID\"r", "f0501"}));
}

TEST_F(FileCommands, BadBlockCountsFailTheDownloadAndStillCloseTheHandle) {
    for (const long badCount : {0L, 0x81L, 0x7FL}) {  // zero, more than asked, data mismatch
        SCOPED_TRACE(badCount);
        EngineFixture fixture;
        ScriptedLogger scripted;
        scripted.files = {{"B.CFG", Bytes(300)}};
        scripted.forcedBlockCount = badCount;
        fixture.responder = [&](FakePort& port, const std::string& frame) {
            scripted.Answer(port, frame);
        };
        fixture.OpenFakeLink();
        std::string content;
        EXPECT_FALSE(fixture.engine.RetrieveFile("B.CFG", 300, content));
        EXPECT_EQ(scripted.bodies.back(), "f0501");
        EXPECT_EQ(scripted.bodies.size(), 3u);  // open, one block, close
        fixture.Drain();
        const auto texts = fixture.target.StatusTexts();
        EXPECT_NE(std::find(texts.begin(), texts.end(),
                            "Bad block size from Vantrel while transferring B.CFG"),
                  texts.end());
    }
}

// A damaged block whose LRC still adds up must not reach the backup as file content.
TEST_F(FileCommands, BlockDataThatAreNotHexDigitsFailTheDownload) {
    OpenLink();
    logger.files = {{"B.CFG", Bytes(3)}};
    f.responder = [&](FakePort& port, const std::string& frame) {
        const auto request = test::ParseRequest(frame);
        if (request && request->body.rfind("f06", 0) == 0) {
            logger.bodies.push_back(request->body);
            port.Deliver(test::SlaveFrame(request->id, "0003A1G2C3"));
            return;
        }
        logger.Answer(port, frame);
    };
    std::string content;
    EXPECT_FALSE(f.engine.RetrieveFile("B.CFG", 3, content));
    EXPECT_EQ(content, "");
    EXPECT_EQ(logger.bodies.back(), "f0501");
    f.Drain();
    const auto texts = f.target.StatusTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(),
                        "Bad block size from Vantrel while transferring B.CFG"),
              texts.end());
}

// A block of more bytes than asked, whose data match its count, is refused for its count
// alone: taken, it would run past the file's end.
TEST_F(FileCommands, BlockLongerThanAskedFailsTheDownloadThoughItsDataMatchItsCount) {
    OpenLink();
    logger.files = {{"B.CFG", Bytes(300)}};
    f.responder = [&](FakePort& port, const std::string& frame) {
        const auto request = test::ParseRequest(frame);
        if (request && request->body == "f06010080") {
            logger.bodies.push_back(request->body);
            port.Deliver(test::SlaveFrame(request->id, "0081" + HexOf(Bytes(0x81))));
            return;
        }
        logger.Answer(port, frame);
    };
    std::string content;
    EXPECT_FALSE(f.engine.RetrieveFile("B.CFG", 300, content));
    EXPECT_EQ(content, "");
    EXPECT_EQ(logger.bodies, (std::vector<std::string>{"f04\"B.CFG\"r", "f06010080", "f0501"}));
    f.Drain();
    const auto texts = f.target.StatusTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(),
                        "Bad block size from Vantrel while transferring B.CFG"),
              texts.end());
}

TEST_F(FileCommands, FailedBlockStillClosesAndKeepsWhatWasRead) {
    OpenLink();
    logger.files = {{"B.CFG", Bytes(300)}};
    int reads = 0;
    f.responder = [&](FakePort& port, const std::string& frame) {
        if (frame.find(";f06") != std::string::npos && ++reads >= 2) return;  // lost blocks
        logger.Answer(port, frame);
    };
    std::string content;
    EXPECT_FALSE(f.engine.RetrieveFile("B.CFG", 300, content));
    EXPECT_EQ(content, HexOf(Bytes(128)));
    EXPECT_EQ(logger.bodies.back(), "f0501");
}

TEST_F(FileCommands, UploadFollowsPartialWritesFromTheAcceptedByte) {
    OpenLink();
    logger.maxWriteBytes = 100;
    const std::string data = Bytes(300);
    EXPECT_TRUE(f.engine.UploadFile("NEW.DAT", HexOf(data)));
    EXPECT_EQ(logger.files["NEW.DAT"], data);
    const auto writes = Bodies("f09");
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].substr(0, 9), "f09020080");
    EXPECT_EQ(writes[1].substr(0, 9 + 2), "f09020080" + HexOf(data.substr(100, 1)));
    EXPECT_EQ(writes[2].substr(0, 9), "f09020064");
    EXPECT_EQ(logger.bodies.back(), "f0502");
    f.Drain();
    EXPECT_EQ(PostedAs(f.target, "Uploading NEW.DAT"), "item");
}

TEST_F(FileCommands, UploadFailuresPostTheirTexts) {
    struct Case {
        const char* name;
        std::function<void(ScriptedLogger&)> setUp;
        std::string expected;
        std::string lastBody;
    };
    const std::vector<Case> cases = {
        {"create refused", [](ScriptedLogger& l) { l.refuseCreate = true; },
         "Fatal error uploading X.DAT - Vantrel may now be unstable", "f10\"X.DAT\""},
        {"close refused", [](ScriptedLogger& l) { l.refuseClose = true; },
         "Unable to close handle for X.DAT - Vantrel may now be unstable", "f0502"},
        {"zero accepted", [](ScriptedLogger& l) { l.forcedBlockCount = 0; },
         "Bad block size from Vantrel while transferring X.DAT", "f0502"},
        {"more accepted than sent", [](ScriptedLogger& l) { l.forcedBlockCount = 11; },
         "Bad block size from Vantrel while transferring X.DAT", "f0502"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EngineFixture fixture;
        ScriptedLogger scripted;
        c.setUp(scripted);
        fixture.responder = [&](FakePort& port, const std::string& frame) {
            scripted.Answer(port, frame);
        };
        fixture.OpenFakeLink();
        EXPECT_FALSE(fixture.engine.UploadFile("X.DAT", HexOf(Bytes(10))));
        EXPECT_EQ(fixture.engine.StatusText(), c.expected);
        EXPECT_EQ(scripted.bodies.back(), c.lastBody);
        fixture.Drain();
        EXPECT_EQ(PostedAs(fixture.target, c.expected), "step") << "an outcome is announced";
    }
}

TEST_F(FileCommands, DeleteFilesStopsAtARefusedNameAndStillSucceeds) {
    logger.files = {{"A", "1"}, {"B", "2"}, {"C", "3"}};
    logger.refuseDelete = {"B"};
    std::size_t deleted = 99;
    EXPECT_TRUE(f.engine.DeleteFiles(&f.target, settings, {"A", "B", "C"}, &deleted));
    EXPECT_EQ(deleted, 1u) << "only the names before the refused one count as deleted";
    EXPECT_EQ(logger.files.count("A"), 0u);
    EXPECT_EQ(logger.files.count("C"), 1u);
    EXPECT_EQ(Bodies("f11"),
              (std::vector<std::string>{"f11\"A\"", "f11\"B\"", "f11\"B\"", "f11\"B\""}));
    EXPECT_EQ(logger.bodies.back(), "c");
    ASSERT_EQ(f.prompt.shown().size(), 1u);
    EXPECT_EQ(f.prompt.shown()[0].text, "Invalid Filename");
}

}  // namespace
}  // namespace vantrel
