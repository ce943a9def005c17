// SPDX-License-Identifier: GPL-3.0-or-later
// The real link (CLinkEngine over CSerialPort) against vantrel-logger-sim on a
// pseudo-terminal: list, download, upload and delete, on a clean line and with every fault
// switch on at about one reply in ten. Downloads must be byte-identical to the image and
// the logger must end with exactly the files the link wrote.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/LinkEngine.h"
#include "platform/Clock.h"
#include "platform/DiagnosticLog.h"
#include "platform/NotificationQueue.h"
#include "platform/RecordingPrompt.h"
#include "support/SimulatorProcess.h"

namespace vantrel {
namespace {

using testing::FileMap;
using testing::SimulatorProcess;
using testing::TempDir;

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

std::string Pattern(std::size_t size, unsigned salt) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i)
        bytes += static_cast<char>((i * 131 + salt + i / 5) & 0xFF);
    return bytes;
}

const FileMap& Image() {
    static const FileMap image = {{"ORTVELSOIL.CFG01", Pattern(1584, 1)},
                                  {"PRO01.CFG00", Pattern(64, 2)},
                                  {"PRO01.DAT00", Pattern(1280, 3)},
                                  {"PRODUCTS.GR", ""},
                                  {"QUILON.CFG00", Pattern(5, 4)}};
    return image;
}

class NullTarget final : public INotificationTarget {
public:
    void OnNotification(const Notification&) override {}
};

struct FaultCase {
    const char* name;
    std::vector<std::string> args;
    // Close Link has a single attempt, so a fault on its reply reaches the user as a
    // message; with faults on, messages are expected now and then.
    bool faults = false;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class LinkAgainstSimulatorTest : public ::testing::TestWithParam<FaultCase> {
protected:
    SystemClock clock;
    NotificationQueue queue{clock};
    RecordingPrompt prompt;
    NullDiagnosticLog log;
    NullTarget target;
    CLinkEngine link{LinkServices{queue, clock, prompt, log}};
};

TEST_P(LinkAgainstSimulatorTest, ListsDownloadsUploadsAndDeletesFilesExactly) {
    TempDir image;
    testing::WriteFolder(image.path(), Image());
    std::vector<std::string> args = {"--image", image.path().string()};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    SimulatorProcess sim(args);
    const LinkSettings settings{sim.linkPath(), 38400};

    // Listing: names in the logger's order with their sizes.
    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    ASSERT_TRUE(link.ListFiles(&target, settings, names, sizes));
    std::vector<std::string> expectedNames;
    std::vector<std::uint32_t> expectedSizes;
    for (const auto& [name, bytes] : Image()) {
        expectedNames.push_back(name);
        expectedSizes.push_back(static_cast<std::uint32_t>(bytes.size()));
    }
    EXPECT_EQ(names, expectedNames);
    EXPECT_EQ(sizes, expectedSizes);

    // Download every file, upload a new one and replace one, delete one.
    ASSERT_TRUE(link.OperationPrologue(&target, settings));
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string content;
        EXPECT_TRUE(link.RetrieveFile(names[i], sizes[i], content)) << names[i];
        EXPECT_EQ(content, Hex(Image().at(names[i]))) << names[i];
    }
    const std::string uploaded = Pattern(700, 9);
    EXPECT_TRUE(link.UploadFile("PRO02.DAT00", Hex(uploaded)));
    EXPECT_TRUE(link.UploadFile("QUILON.CFG00", Hex("new")));
    EXPECT_TRUE(link.DeleteLoggerFile("PRO01.CFG00"));
    link.CloseLink();

    FileMap expected = Image();
    expected["PRO02.DAT00"] = uploaded;
    expected["QUILON.CFG00"] = "new";
    expected.erase("PRO01.CFG00");
    // The dump writes the logger's files into a fresh folder: exactly what it holds.
    EXPECT_EQ(sim.StopAndReadDump(), expected);
    if (GetParam().faults) {
        EXPECT_GT(link.TransferErrorCount(), 0U) << "the faults did fire";
    } else {
        EXPECT_TRUE(prompt.shown().empty()) << prompt.shown().front().text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Line, LinkAgainstSimulatorTest,
    ::testing::Values(FaultCase{"Clean", {}, false},
                      FaultCase{"EveryFaultAboutOneInTen",
                                {"--seed", "11", "--drop-every", "10", "--bad-lrc-every", "10",
                                 "--stale-id-every", "10", "--nak-every", "10", "--holdoff-every",
                                 "10", "--holdoff-ms", "400", "--short-blocks"},
                                true},
                      FaultCase{"PacedWithHoldOffs",
                                {"--baud", "38400", "--seed", "5", "--holdoff-every", "4",
                                 "--holdoff-ms", "1500"},
                                false}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vantrel
