// SPDX-License-Identifier: GPL-3.0-or-later
// Reading backup files: both layouts, the load table, hostile and truncated input.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <random>
#include <string_view>

#include "data/TestRecords.h"
#include "data/VantrelArchive.h"

namespace vantrel {
namespace {

using test::Ascii;
using test::Concat;
using test::U16;
using test::U32;
using Kind = ArchiveError::Kind;

const std::vector<std::uint8_t> kClassDefinition =
    Concat({{0xFF, 0xFF, 0x00, 0x01, 0x0C, 0x00}, Ascii("CProfileNode")});
const std::vector<std::uint8_t> kReference = {0x01, 0x80};

// A record body with profile number `number` and empty texts.
std::vector<std::uint8_t> Body(std::uint8_t number) {
    std::vector<std::uint8_t> body(34, 0x00);
    body[0] = number;
    return body;
}

// Four dates, three empty texts.
std::vector<std::uint8_t> OldTail() {
    return std::vector<std::uint8_t>(51, 0x00);
}
// Four dates, three empty texts, two empty lists.
std::vector<std::uint8_t> Tail() {
    return std::vector<std::uint8_t>(55, 0x00);
}

std::vector<std::uint8_t> WithProfiles(std::initializer_list<std::vector<std::uint8_t>> records) {
    std::vector<std::uint8_t> bytes =
        Concat({{0x01, 0x80}, U16(static_cast<std::uint16_t>(records.size()))});
    for (const auto& record : records) bytes.insert(bytes.end(), record.begin(), record.end());
    const auto tail = Tail();
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

Kind LoadErrorKind(const std::vector<std::uint8_t>& bytes) {
    try {
        CVantrelArchive::Load(bytes);
    } catch (const ArchiveError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no ArchiveError";
    return Kind::EndOfFile;
}

TEST(ArchiveLoad, SmallArchiveRoundTrips) {
    const CVantrelArchive archive = test::SmallArchive();
    EXPECT_EQ(CVantrelArchive::Load(archive.Store()), archive);
}

std::string RandomText(std::mt19937& random) {
    // Mostly short texts, some across the 255-byte prefix change, all byte values.
    std::uniform_int_distribution<int> pick(0, 9);
    const int kind = pick(random);
    std::size_t length = kind < 6   ? random() % 20
                         : kind < 9 ? 200 + random() % 200
                                    : random() % 70000;
    std::string text(length, '\0');
    for (char& c : text) c = static_cast<char>(random());
    return text;
}

DateTimeValue RandomDate(std::mt19937& random) {
    std::uniform_real_distribution<double> days(-700000.0, 3000000.0);
    return DateTimeValue{days(random), static_cast<std::int32_t>(random() % 3)};
}

TEST(ArchiveLoad, RandomArchivesRoundTrip) {
    std::mt19937 random(20090305);
    for (int round = 0; round < 60; ++round) {
        CVantrelArchive archive;
        const int profiles = static_cast<int>(random() % 6);
        for (int k = 0; k < profiles; ++k) {
            CProfileNode node(std::to_string(random() % 100), RandomText(random),
                              RandomText(random));
            node.m_dtFirst = RandomDate(random);
            node.m_dtLast = RandomDate(random);
            node.m_nReadings = static_cast<std::int32_t>(random());
            archive.m_profiles.push_back(node);
        }
        archive.m_dtBackup = RandomDate(random);
        archive.m_dtReserved = RandomDate(random);
        archive.m_dtFrom = RandomDate(random);
        archive.m_dtTo = RandomDate(random);
        archive.m_strDeviceConfig = RandomText(random);
        archive.m_strUserSoil = RandomText(random);
        archive.m_strOrtvelSoil = RandomText(random);
        const int others = static_cast<int>(random() % 4);
        for (int k = 0; k < others; ++k) {
            archive.m_astrOtherNames.push_back(RandomText(random));
            archive.m_astrOtherFiles.push_back(RandomText(random));
        }
        const std::vector<std::uint8_t> bytes = archive.Store();
        const CVantrelArchive loaded = CVantrelArchive::Load(bytes);
        ASSERT_EQ(loaded, archive) << "round " << round;
        ASSERT_EQ(loaded.Store(), bytes);
    }
}

TEST(ArchiveLoad, TruncatedAnywhereIsEndOfFile) {
    const std::vector<std::uint8_t> bytes = test::SmallArchive().Store();
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + size);
        EXPECT_EQ(LoadErrorKind(cut), Kind::EndOfFile) << "cut at " << size;
    }
}

TEST(ArchiveLoad, OldLayoutHasNoMarkerAndNoOtherFiles) {
    std::vector<std::uint8_t> bytes =
        Concat({U16(2), kClassDefinition, Body(7), kReference, Body(8), OldTail()});
    bytes[bytes.size() - 3] = 0x02;  // the device configuration text "AB"
    bytes.insert(bytes.end() - 2, {'A', 'B'});
    const CVantrelArchive archive = CVantrelArchive::Load(bytes);
    ASSERT_EQ(archive.GetProfileCount(), 2);
    EXPECT_EQ(archive.GetProfileNo(0), 7);
    EXPECT_EQ(archive.GetProfileNo(1), 8);
    EXPECT_EQ(archive.m_strDeviceConfig, "AB");
    EXPECT_TRUE(archive.m_astrOtherNames.empty());
    EXPECT_TRUE(archive.m_astrOtherFiles.empty());
}

TEST(ArchiveLoad, UnknownMarkersGiveAnEmptyArchive) {
    for (int marker : {0x8000, 0x8002, 0xFFFE}) {
        const CVantrelArchive archive =
            CVantrelArchive::Load(Concat({U16(static_cast<std::uint16_t>(marker)), {1, 2, 3}}));
        EXPECT_EQ(archive, CVantrelArchive()) << marker;
    }
}

TEST(ArchiveLoad, OldLayoutAnnouncing32767ProfilesEndsEarly) {
    EXPECT_EQ(LoadErrorKind(Concat({U16(0x7FFF), kClassDefinition, Body(1), OldTail()})),
              Kind::EndOfFile);
}

TEST(ArchiveLoad, AnyClassSchemaIsAccepted) {
    std::vector<std::uint8_t> definition = kClassDefinition;
    definition[2] = 0x07;
    definition[3] = 0x00;
    EXPECT_EQ(CVantrelArchive::Load(WithProfiles({Concat({definition, Body(5)})})).GetProfileNo(0),
              5);
}

TEST(ArchiveLoad, ARepeatedClassDefinitionTakesANewNumber) {
    // Class 1, record 2, class 3, record 4, then a reference to class 3.
    const auto bytes =
        WithProfiles({Concat({kClassDefinition, Body(1)}), Concat({kClassDefinition, Body(2)}),
                      Concat({{0x03, 0x80}, Body(3)})});
    EXPECT_EQ(CVantrelArchive::Load(bytes).GetProfileCount(), 3);
}

TEST(ArchiveLoad, BigTagFormReferencesAClass) {
    const auto bytes = WithProfiles(
        {Concat({kClassDefinition, Body(1)}), Concat({U16(0x7FFF), U32(0x80000001), Body(2)})});
    EXPECT_EQ(CVantrelArchive::Load(bytes).GetProfileNo(1), 2);
}

struct BadTagCase {
    const char* what;
    std::vector<std::uint8_t> secondTag;
    Kind kind;
};

void PrintTo(const BadTagCase& c, std::ostream* os) {
    *os << c.what;
}

// "name of 64 bytes" -> "NameOf64Bytes"
std::string TestName(std::string_view what) {
    std::string name;
    bool upper = true;
    for (const char c : what) {
        if (c == ' ') {
            upper = true;
        } else {
            name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
            upper = false;
        }
    }
    return name;
}

class BadSecondTag : public testing::TestWithParam<BadTagCase> {};

TEST_P(BadSecondTag, IsRefused) {
    const auto bytes = WithProfiles(
        {Concat({kClassDefinition, Body(1)}), Concat({GetParam().secondTag, Body(2)})});
    EXPECT_EQ(LoadErrorKind(bytes), GetParam().kind) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Tags, BadSecondTag,
    testing::Values(
        BadTagCase{"class number 0", {0x00, 0x80}, Kind::BadIndex},
        BadTagCase{"number of a record", {0x02, 0x80}, Kind::BadIndex},
        BadTagCase{"number not given yet", {0x03, 0x80}, Kind::BadIndex},
        BadTagCase{"null record", {0x00, 0x00}, Kind::BadIndex},
        BadTagCase{"earlier record again", {0x02, 0x00}, Kind::BadIndex},
        BadTagCase{"big null tag", Concat({U16(0x7FFF), U32(0)}), Kind::BadIndex},
        BadTagCase{"big reference out of range", Concat({U16(0x7FFF), U32(0x80000009)}),
                   Kind::BadIndex},
        BadTagCase{"other class name",
                   Concat({{0xFF, 0xFF, 0x00, 0x01, 0x0C, 0x00}, Ascii("CProfileNodX")}),
                   Kind::BadClass},
        BadTagCase{"name in other case",
                   Concat({{0xFF, 0xFF, 0x00, 0x01, 0x0C, 0x00}, Ascii("cprofilenode")}),
                   Kind::BadClass},
        BadTagCase{
            "name of 64 bytes",
            Concat({{0xFF, 0xFF, 0x00, 0x01, 0x40, 0x00}, std::vector<std::uint8_t>(64, 'C')}),
            Kind::BadClass}),
    [](const auto& param) { return TestName(param.param.what); });

TEST(ArchiveLoad, FirstRecordMustDefineOrReferenceAClass) {
    EXPECT_EQ(LoadErrorKind(WithProfiles({Concat({kReference, Body(1)})})), Kind::BadIndex);
}

// The device configuration text stored in UTF-16 form.
CVantrelArchive LoadWithWideText(const std::vector<std::uint8_t>& stored) {
    return CVantrelArchive::Load(Concat({{0x01, 0x80, 0x00, 0x00},
                                         std::vector<std::uint8_t>(48, 0),
                                         stored,
                                         std::vector<std::uint8_t>(6, 0)}));
}

TEST(ArchiveLoad, Utf16TextsAreNarrowed) {
    // "A", e acute, y diaeresis (the last 8-bit character), euro sign, two surrogate pairs
    // (the second with the highest units), "z".
    const auto units = Concat({U16('A'), U16(0xE9), U16(0xFF), U16(0x20AC), U16(0xD83D),
                               U16(0xDE00), U16(0xDBFF), U16(0xDFFF), U16('z')});
    EXPECT_EQ(LoadWithWideText(Concat({{0xFF, 0xFE, 0xFF, 0x09}, units})).m_strDeviceConfig,
              "A\xE9\xFF???z");
    // Length in the 3-byte form, then in the 7-byte form.
    std::vector<std::uint8_t> many;
    for (int k = 0; k < 300; ++k) many.insert(many.end(), {'q', 0});
    EXPECT_EQ(
        LoadWithWideText(Concat({{0xFF, 0xFE, 0xFF, 0xFF}, U16(300), many})).m_strDeviceConfig,
        std::string(300, 'q'));
    EXPECT_EQ(LoadWithWideText(Concat({{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}, U32(300), many}))
                  .m_strDeviceConfig,
              std::string(300, 'q'));
}

TEST(ArchiveLoad, HugeLengthsAndCountsEndAtOnce) {
    const std::vector<std::uint8_t> start =
        Concat({{0x01, 0x80, 0x00, 0x00}, std::vector<std::uint8_t>(48, 0)});
    const std::vector<std::vector<std::uint8_t>> hostile = {
        Concat({start, {0xFF, 0xFF, 0xFF}, U32(0xFFFFFFF0), {1, 2, 3}}),
        Concat({start, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}, U32(0x7FFFFFFF), {1, 2}}),
        Concat({start, {0, 0, 0, 0xFF, 0xFF}, U32(0xFFFFFFFF), {0, 0, 0}}),
        Concat({{0x01, 0x80, 0xFF, 0xFF}, U32(0xFFFFFFFF), kClassDefinition, Body(1)}),
    };
    for (const auto& bytes : hostile) EXPECT_EQ(LoadErrorKind(bytes), Kind::EndOfFile);
}

TEST(ArchiveLoad, FilesAreWrittenAtomicallyAndReadWhole) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vantrel-data-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = folder / "North.vbk";
    const CVantrelArchive archive = test::SmallArchive();
    archive.SaveToFile(path);
    EXPECT_EQ(CVantrelArchive::LoadFromFile(path), archive);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);  // no temporary file left beside it
    try {
        CVantrelArchive::LoadFromFile(folder / "missing.vbk");
        ADD_FAILURE() << "no error for a missing file";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
    }
    EXPECT_THROW(archive.SaveToFile(folder / "no-such-folder" / "x.vbk"), std::system_error);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vantrel
