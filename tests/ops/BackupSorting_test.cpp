// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "data/VantrelArchive.h"
#include "ops/BackupSorting.h"

namespace vantrel {
namespace {

struct Listing {
    std::vector<std::string> names;
    std::vector<std::string> contents;
    Listing& Add(std::string name, std::string content) {
        names.push_back(std::move(name));
        contents.push_back(std::move(content));
        return *this;
    }
};

Listing WithSoils() {
    Listing listing;
    listing.Add("USERSOIL.CFG01", "AA").Add("ORTVELSOIL.CFG01", "BB");
    return listing;
}

const ExcludePredicate kNothingExcluded = [](std::string_view) { return false; };

struct ProfileRow {
    int number;
    std::string data;
    std::string config;
    friend bool operator==(const ProfileRow&, const ProfileRow&) = default;
};

std::vector<ProfileRow> Profiles(const CVantrelArchive& archive) {
    std::vector<ProfileRow> rows;
    for (int i = 0; i < archive.GetProfileCount(); ++i) {
        ProfileRow row{0, {}, {}};
        row.number = archive.GetProfileFiles(i, row.data, row.config);
        rows.push_back(row);
    }
    return rows;
}

TEST(BackupSorting, PairsProfileFilesByKeyInAscendingKeyOrder) {
    Listing listing = WithSoils();
    listing.Add("PRO07.DAT00", "D7").Add("PRO03.CFG00", "C3").Add("PRO07.CFG00", "C7");
    listing.Add("PRO03.DAT00", "D3").Add("PRO05.CFG00", "C5");  // 05: no data file
    listing.Add("PRO09.DAT00", "D9");                           // 09: no configuration file
    CVantrelArchive archive;
    ASSERT_EQ(SortBackupFiles(listing.names, listing.contents, archive, kNothingExcluded),
              BackupSortResult::Ok);
    EXPECT_EQ(Profiles(archive),
              (std::vector<ProfileRow>{{3, "D3", "C3"}, {5, "", "C5"}, {7, "D7", "C7"}}));
    EXPECT_TRUE(archive.m_astrOtherNames.empty());  // profile files go nowhere else
}

TEST(BackupSorting, LaterFileOfTheSameKeyAndKindReplacesTheEarlierOne) {
    Listing listing = WithSoils();
    listing.Add("PRO03.DAT00", "OLD").Add("PRO03.CFG00", "C3").Add("PRO03.DAT01", "NEW");
    listing.Add("PRO03.CFG01", "C3B");  // "CFG" and any non-"DAT" extension: configuration
    CVantrelArchive archive;
    SortBackupFiles(listing.names, listing.contents, archive, kNothingExcluded);
    EXPECT_EQ(Profiles(archive), (std::vector<ProfileRow>{{3, "NEW", "C3B"}}));
}

TEST(BackupSorting, NamedFilesGoToTheirFieldsAndOthersAreKeptInListingOrder) {
    Listing listing;
    listing.Add("SITE0001.id", "01").Add("QUILON.CFG00", "QQ").Add("PRODUCTS.GR", "PP");
    listing.Add("ORTVELSOIL.CFG01", "OO").Add("USERSOIL.CFG01", "UU").Add("PRO", "XX");
    listing.Add("usersoil.cfg01", "LU");
    CVantrelArchive archive;
    ASSERT_EQ(SortBackupFiles(listing.names, listing.contents, archive, kNothingExcluded),
              BackupSortResult::Ok);
    EXPECT_EQ(archive.m_strDeviceConfig, "QQ");
    EXPECT_EQ(archive.m_strOrtvelSoil, "OO");
    EXPECT_EQ(archive.m_strUserSoil, "UU");
    EXPECT_EQ(archive.m_astrOtherNames,
              (std::vector<std::string>{"SITE0001.id", "PRODUCTS.GR", "usersoil.cfg01"}));
    EXPECT_EQ(archive.m_astrOtherFiles, (std::vector<std::string>{"01", "PP", "LU"}));
    // "PRO" without a key is a profile file with an empty key, not an other file.
    ASSERT_EQ(archive.GetProfileCount(), 1);
    EXPECT_EQ(archive.GetProfileNo(0), 0);
}

TEST(BackupSorting, ExcludedFilesAreDroppedButNamedFilesNeverAsked) {
    Listing listing = WithSoils();
    listing.Add("PRODUCTS.GR", "PP").Add("SITE0001.id", "01").Add("QUILON.CFG00", "QQ");
    listing.Add("PRO01.CFG00", "C1");
    std::vector<std::string> asked;
    CVantrelArchive archive;
    SortBackupFiles(listing.names, listing.contents, archive, [&asked](std::string_view name) {
        asked.emplace_back(name);
        return name == "PRODUCTS.GR";
    });
    EXPECT_EQ(asked, (std::vector<std::string>{"PRODUCTS.GR", "SITE0001.id"}));
    EXPECT_EQ(archive.m_astrOtherNames, std::vector<std::string>{"SITE0001.id"});
    EXPECT_EQ(archive.m_strDeviceConfig, "QQ");
}

TEST(BackupSorting, EveryFileNotKeptIsReportedInListingOrderWithItsReason) {
    Listing listing = WithSoils();
    listing.Add("PRO03.DAT00", "OLD").Add("Empty", "EE").Add("PRO03.CFG00", "C3");
    listing.Add("PRO09.DAT00", "D9").Add("PRODUCTS.GR", "PP").Add("PRO03.DAT01", "NEW");
    CVantrelArchive archive;
    std::vector<LeftOutFile> leftOut;
    // The real list always excludes "Empty", the word that ends it.
    SortBackupFiles(
        listing.names, listing.contents, archive,
        [](std::string_view name) { return name == "PRODUCTS.GR" || name == "Empty"; }, &leftOut);
    EXPECT_EQ(DescribeLeftOutFiles(leftOut),
              "These vantrel files are not in the backup:\n"
              "PRO03.DAT00: replaced by PRO03.DAT01 of the same profile\n"
              "Empty: a file of this name is always left out (\"Empty\" ends the Excludes list)\n"
              "PRO09.DAT00: a profile data file without its configuration file PRO09.CFG00\n"
              "PRODUCTS.GR: named by the Excludes list (Vantrel.ini)");
    EXPECT_EQ(DescribeLeftOutFiles({}), "");
}

TEST(BackupSorting, SoilTablesAreCheckedOrtvelFirstAndNoProfileIsAddedWithoutThem) {
    const struct {
        const char* name;
        Listing listing;
        BackupSortResult result;
    } cases[] = {
        {"both missing", Listing{}.Add("PRO01.CFG00", "C1"), BackupSortResult::OrtvelSoilMissing},
        {"Ortvel empty", Listing{}.Add("ORTVELSOIL.CFG01", "").Add("USERSOIL.CFG01", "UU"),
         BackupSortResult::OrtvelSoilMissing},
        {"user missing", Listing{}.Add("ORTVELSOIL.CFG01", "OO").Add("PRO01.CFG00", "C1"),
         BackupSortResult::UserSoilMissing},
        {"user soil in lower case",
         Listing{}.Add("ORTVELSOIL.CFG01", "OO").Add("usersoil.CFG01", "UU"),
         BackupSortResult::UserSoilMissing},
    };
    for (const auto& c : cases) {
        CVantrelArchive archive;
        EXPECT_EQ(SortBackupFiles(c.listing.names, c.listing.contents, archive, kNothingExcluded),
                  c.result)
            << c.name;
        EXPECT_EQ(archive.GetProfileCount(), 0) << c.name;
    }
    EXPECT_EQ(BackupSortMessage(BackupSortResult::OrtvelSoilMissing),
              "Ortvel Soil File missing - Aborted");
    EXPECT_EQ(BackupSortMessage(BackupSortResult::UserSoilMissing),
              "User Soil File missing - Aborted");
}

TEST(BackupSorting, NamesAndContentsOfDifferentLengthAreRejected) {
    CVantrelArchive archive;
    EXPECT_THROW(SortBackupFiles({"A", "B"}, {"00"}, archive, kNothingExcluded),
                 std::invalid_argument);
}

}  // namespace
}  // namespace vantrel
