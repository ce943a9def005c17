// SPDX-License-Identifier: GPL-3.0-or-later
// The link engine driving the simulator's engine through InProcessLoggerPort, on a fake
// clock: time-outs and hold-offs cost no real time.

#include <gtest/gtest.h>

#include "link/LinkEngine.h"
#include "platform/DiagnosticLog.h"
#include "platform/FakeClock.h"
#include "platform/NotificationQueue.h"
#include "platform/RecordingPrompt.h"
#include "sim/HexText.h"
#include "sim/InProcessLoggerPort.h"

namespace vantrel::sim {
namespace {

class NullTarget final : public INotificationTarget {
public:
    void OnNotification(const Notification&) override {}
};

std::string Pattern(std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>((i * 17 + 5) & 0xFF);
    return bytes;
}

struct LineCase {
    const char* name;
    FaultOptions options;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name;
}

class InProcessPortTest : public ::testing::TestWithParam<LineCase> {
protected:
    InProcessPortTest() {
        LoggerFileSystem files;
        files.Put("PRO01.DAT00", Pattern(1000), {});
        files.Put("USERSOIL.CFG01", Pattern(48), {});
        logger = std::make_unique<LoggerEngine>(std::move(files), GetParam().options);
        link = std::make_unique<CLinkEngine>(LinkServices{queue, clock, prompt, log},
                                             InProcessPortFactory(*logger));
    }

    FakeClock clock;
    NotificationQueue queue{clock};
    RecordingPrompt prompt;
    NullDiagnosticLog log;
    NullTarget target;
    std::unique_ptr<LoggerEngine> logger;
    std::unique_ptr<CLinkEngine> link;
};

TEST_P(InProcessPortTest, TransfersFilesExactly) {
    const LinkSettings settings{"in-process", 9600};
    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    ASSERT_TRUE(link->ListFiles(&target, settings, names, sizes));
    EXPECT_EQ(names, (std::vector<std::string>{"PRO01.DAT00", "USERSOIL.CFG01"}));
    EXPECT_EQ(sizes, (std::vector<std::uint32_t>{1000, 48}));

    ASSERT_TRUE(link->OperationPrologue(&target, settings));
    std::string content;
    EXPECT_TRUE(link->RetrieveFile("PRO01.DAT00", 1000, content));
    EXPECT_EQ(content, BytesToHex(Pattern(1000)));
    EXPECT_TRUE(link->UploadFile("PRO02.DAT00", BytesToHex(Pattern(333))));
    EXPECT_TRUE(link->DeleteLoggerFile("USERSOIL.CFG01"));
    ASSERT_NE(logger->files().Find("PRO02.DAT00"), nullptr);
    EXPECT_EQ(logger->files().Find("PRO02.DAT00")->bytes, Pattern(333));
    EXPECT_EQ(logger->files().Find("USERSOIL.CFG01"), nullptr);
}

FaultOptions Clean() {
    return {};
}

FaultOptions AllFaults() {
    FaultOptions options;
    options.dropEvery = options.badLrcEvery = options.staleIdEvery = options.nakEvery = 6;
    options.holdOffEvery = 4;
    options.holdOffDelay = std::chrono::milliseconds{5000};
    options.shortBlocks = true;
    options.seed = 42;
    return options;
}

INSTANTIATE_TEST_SUITE_P(Line, InProcessPortTest,
                         ::testing::Values(LineCase{"Clean", Clean()},
                                           LineCase{"AllFaults", AllFaults()}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(InProcessPortHoldOffTest, DeliversTheHeldReplyWhenFakeTimeReachesIt) {
    FakeClock clock;
    NotificationQueue queue{clock};
    RecordingPrompt prompt;
    NullDiagnosticLog log;
    FaultOptions options;
    options.holdOffEvery = 1;
    options.holdOffDelay = std::chrono::milliseconds{5000};
    LoggerEngine logger{LoggerFileSystem{}, options};
    CLinkEngine link{LinkServices{queue, clock, prompt, log}, InProcessPortFactory(logger)};
    ASSERT_TRUE(link.OpenLink("in-process", 9600));
    const auto before = clock.WallMilliseconds();
    EXPECT_TRUE(link.OpenCommsLink());
    EXPECT_GE(clock.WallMilliseconds() - before, 5000);
    EXPECT_EQ(link.TransferErrorCount(), 0U) << "a hold-off is no failed attempt";
}

}  // namespace
}  // namespace vantrel::sim
