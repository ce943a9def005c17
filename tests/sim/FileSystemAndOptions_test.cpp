// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include "sim/LoggerFileSystem.h"
#include "sim/SimOptions.h"
#include "support/SimulatorProcess.h"

namespace vantrel::sim {
namespace {

using vantrel::testing::FileMap;
using vantrel::testing::TempDir;

TEST(LoggerNameTest, AcceptsLoggerNamesOnly) {
    for (const char* good : {"USERSOIL.CFG01", "PRO01.DAT00", "A", "x-y_z.1"}) {
        EXPECT_TRUE(IsValidLoggerName(good)) << good;
    }
    for (const char* bad : {"", ".", "..", ".hidden", "a/b", "a\\b", "a b", "q\"q", "a@b",
                            "123456789012345678901234567890123"}) {
        EXPECT_FALSE(IsValidLoggerName(bad)) << bad;
    }
}

TEST(LoggerFileSystemTest, LoadsAnImageAndDumpsItBackWithoutTouchingOtherFiles) {
    TempDir image;
    TempDir dump;
    const FileMap files = {{"A.DAT", std::string("\0\1\2", 3)}, {"B.CFG", ""}};
    vantrel::testing::WriteFolder(image.path(), files);
    vantrel::testing::WriteFolder(image.path(), {{".skipme", "x"}, {"has space", "y"}});
    vantrel::testing::WriteFolder(dump.path(), {{"UNRELATED.TXT", "keep"}});

    std::vector<std::string> skipped;
    const LoggerFileSystem loaded = LoggerFileSystem::LoadFromDirectory(image.path(), &skipped);
    std::sort(skipped.begin(), skipped.end());
    EXPECT_EQ(skipped, (std::vector<std::string>{".skipme", "has space"}));
    ASSERT_EQ(loaded.files().size(), 2U);
    EXPECT_GE(loaded.Find("A.DAT")->created.year, 2020);

    loaded.DumpToDirectory(dump.path());
    FileMap expected = files;
    expected["UNRELATED.TXT"] = "keep";
    EXPECT_EQ(vantrel::testing::ReadFolder(dump.path()), expected);
}

TEST(LoggerFileSystemTest, ConvertsTimesToUtcCalendarFields) {
    EXPECT_EQ(ToCivilTimeUtc(0), (CivilTime{1970, 1, 1, 0, 0, 0}));
    EXPECT_EQ(ToCivilTimeUtc(951782400 + 3723), (CivilTime{2000, 2, 29, 1, 2, 3}));
}

TEST(SimOptionsTest, ParsesSwitchesAndRejectsBadValues) {
    const auto parsed =
        ParseSimOptions({"--image", "img", "--baud", "38400", "--nak-every", "10",
                         "--holdoff-every", "3", "--holdoff-ms", "200", "--short-blocks", "--seed",
                         "99", "--silent-after", "7", "--endless-listing"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->image, "img");
    EXPECT_EQ(parsed.options->baud, 38400U);
    EXPECT_EQ(parsed.options->faults.nakEvery, 10U);
    EXPECT_EQ(parsed.options->faults.holdOffEvery, 3U);
    EXPECT_EQ(parsed.options->faults.holdOffDelay, std::chrono::milliseconds{200});
    EXPECT_TRUE(parsed.options->faults.shortBlocks);
    EXPECT_EQ(parsed.options->faults.seed, 99U);
    EXPECT_EQ(parsed.options->faults.silentAfter, 7U);
    EXPECT_TRUE(parsed.options->faults.endlessListing);

    const std::vector<std::vector<std::string>> bad = {
        {"--nak-every", "0"}, {"--baud", "fast"}, {"--drop-every"},    {"--link", ""},
        {"--seed", "-1"},     {"--what"},         {"--baud", "96 00"}, {"--silent-after", "0"}};
    for (const auto& args : bad) {
        const auto result = ParseSimOptions(args);
        EXPECT_FALSE(result.options) << args.front();
        EXPECT_FALSE(result.error.empty()) << args.front();
    }
}

}  // namespace
}  // namespace vantrel::sim
