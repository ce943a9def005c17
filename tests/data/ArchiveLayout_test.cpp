// SPDX-License-Identifier: GPL-3.0-or-later
// The exact bytes a backup file is written with.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "data/TestRecords.h"
#include "data/VantrelArchive.h"

namespace vantrel {
namespace {

using test::Ascii;
using test::Concat;

const std::vector<std::uint8_t> kClassDefinition =
    Concat({{0xFF, 0xFF, 0x00, 0x01, 0x0C, 0x00}, Ascii("CProfileNode")});

TEST(ArchiveLayout, EmptyArchiveIs59Bytes) {
    std::vector<std::uint8_t> expected = {0x01, 0x80, 0x00, 0x00};
    expected.resize(59, 0x00);  // four dates, three empty texts, two empty lists
    EXPECT_EQ(CVantrelArchive().Store(), expected);
}

TEST(ArchiveLayout, TwoProfilesStartWithClassDefinitionThenReference) {
    CVantrelArchive archive;
    archive.AddProfile("1", "", "");
    archive.AddProfile("2", "", "");
    const std::vector<std::uint8_t> bytes = archive.Store();
    const std::vector<std::uint8_t> head(bytes.begin(), bytes.begin() + 22);
    EXPECT_EQ(head, Concat({{0x01, 0x80, 0x02, 0x00}, kClassDefinition}));
    // The first body takes 34 bytes; the second record's tag follows it.
    EXPECT_EQ(bytes[22], 0x01);  // profile number 1, little-endian
    EXPECT_EQ(bytes[22 + 34], 0x01);
    EXPECT_EQ(bytes[22 + 35], 0x80);
    EXPECT_EQ(bytes[22 + 36], 0x02);  // profile number 2
    EXPECT_EQ(bytes.size(), 4u + 18u + 34u + 2u + 34u + 48u + 3u + 4u);
}

TEST(ArchiveLayout, RecordBodyFieldsInOrder) {
    CVantrelArchive archive;
    archive.AddProfile("-2", "AB", "C");
    CProfileNode& node = archive.m_profiles[0];
    node.m_dtFirst = DateTimeValue{1.5, DateTimeValue::kNull};
    node.m_nReadings = 0x01020304;
    const std::vector<std::uint8_t> bytes = archive.Store();
    const std::vector<std::uint8_t> body(bytes.begin() + 22, bytes.begin() + 22 + 37);
    const std::vector<std::uint8_t> expected = Concat({
        {0xFE, 0xFF, 0xFF, 0xFF},                                // number -2
        {0x02, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F},  // status 2, 1.5
        std::vector<std::uint8_t>(12, 0x00),                     // last: valid 0.0
        {0x04, 0x03, 0x02, 0x01},                                // reading count
        {0x02, 'A', 'B', 0x01, 'C'},                             // two texts
    });
    EXPECT_EQ(body, expected);
}

struct PrefixCase {
    std::size_t length;
    std::vector<std::uint8_t> prefix;
};

void PrintTo(const PrefixCase& c, std::ostream* os) {
    *os << "length " << c.length;
}

class StringPrefix : public testing::TestWithParam<PrefixCase> {};

TEST_P(StringPrefix, LengthPrefixThenBytes) {
    CVantrelArchive archive;
    archive.m_strDeviceConfig.assign(GetParam().length, 'x');
    const std::vector<std::uint8_t> bytes = archive.Store();
    const std::size_t at = 4 + 48;  // after the marker, the count and the four dates
    const auto& prefix = GetParam().prefix;
    ASSERT_GT(bytes.size(), at + prefix.size());
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + at, bytes.begin() + at + prefix.size()),
              prefix);
    EXPECT_EQ(bytes.size(), 59 + prefix.size() - 1 + GetParam().length);
    EXPECT_EQ(CVantrelArchive::Load(bytes).m_strDeviceConfig, archive.m_strDeviceConfig);
}

INSTANTIATE_TEST_SUITE_P(Lengths, StringPrefix,
                         testing::Values(PrefixCase{0, {0x00}}, PrefixCase{254, {0xFE}},
                                         PrefixCase{255, {0xFF, 0xFF, 0x00}},
                                         PrefixCase{0xFFFD, {0xFF, 0xFD, 0xFF}},
                                         PrefixCase{0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0, 0}},
                                         PrefixCase{0x10000, {0xFF, 0xFF, 0xFF, 0, 0, 1, 0}}),
                         [](const auto& param) {
                             return "Length" + std::to_string(param.param.length);
                         });

TEST(ArchiveLayout, CountsOf0xFFFFAndMoreTakeTheLongForm) {
    for (std::size_t count : {std::size_t{0xFFFE}, std::size_t{0xFFFF}, std::size_t{0x10001}}) {
        CVantrelArchive archive;
        archive.m_astrOtherNames.assign(count, "");
        const std::vector<std::uint8_t> bytes = archive.Store();
        const std::size_t at = 4 + 48 + 3;
        const std::vector<std::uint8_t> expected =
            count < 0xFFFF ? test::U16(static_cast<std::uint16_t>(count))
                           : Concat({{0xFF, 0xFF}, test::U32(static_cast<std::uint32_t>(count))});
        EXPECT_EQ(
            std::vector<std::uint8_t>(bytes.begin() + at, bytes.begin() + at + expected.size()),
            expected)
            << count;
        EXPECT_EQ(CVantrelArchive::Load(bytes).m_astrOtherNames.size(), count);
    }
}

TEST(ArchiveLayout, ProfileCountOf0xFFFFTakesTheLongForm) {
    CVantrelArchive archive;
    archive.m_profiles.resize(0xFFFF);
    const std::vector<std::uint8_t> bytes = archive.Store();
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 8),
              (std::vector<std::uint8_t>{0x01, 0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(CVantrelArchive::Load(bytes).m_profiles.size(), 0xFFFFu);
}

std::vector<std::uint8_t> ReadGolden(const char* name) {
    std::ifstream file(std::string(VANTREL_GOLDEN_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The golden file holds SmallArchive() as written by this layer; its first bytes were
// checked by hand against the layout: marker, count 2, class definition, profile 3.
TEST(ArchiveLayout, SmallArchiveEqualsGoldenFile) {
    const std::vector<std::uint8_t> golden = ReadGolden("small.vbk");
    ASSERT_FALSE(golden.empty());
    const std::vector<std::uint8_t> head =
        Concat({{0x01, 0x80, 0x02, 0x00}, kClassDefinition, {0x03, 0x00, 0x00, 0x00, 0x00, 0x00}});
    ASSERT_GE(golden.size(), head.size());
    EXPECT_EQ(std::vector<std::uint8_t>(golden.begin(), golden.begin() + head.size()), head);
    EXPECT_EQ(test::SmallArchive().Store(), golden);
    EXPECT_EQ(CVantrelArchive::Load(golden).Store(), golden);
}

}  // namespace
}  // namespace vantrel
