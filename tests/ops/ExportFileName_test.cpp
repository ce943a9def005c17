// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <ostream>

#include "ops/ExportFileName.h"

namespace vantrel {
namespace {

struct NameCase {
    const char* exportFile;
    int profile;
    const char* profileFile;
    const char* folder;
    friend std::ostream& operator<<(std::ostream& os, const NameCase& c) {
        return os << c.exportFile << " #" << c.profile;
    }
};

class ProfileFileNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ProfileFileNameTest, DerivesProfileFileAndFolder) {
    const NameCase& c = GetParam();
    EXPECT_EQ(ProfileFileName(c.exportFile, c.profile), c.profileFile);
    EXPECT_EQ(ExportFolderOf(c.exportFile), c.folder);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ProfileFileNameTest,
    ::testing::Values(NameCase{"/data/North.csv", 3, "/data/North (Pro03).csv", "/data"},
                      NameCase{"North.csv", 1, "North (Pro01).csv", ""},
                      NameCase{"North.txt", 12, "North (Pro12).txt", ""},
                      NameCase{"/a/b.c/North.tar.csv", 7, "/a/b.c/North.tar (Pro07).csv", "/a/b.c"},
                      NameCase{"North.", 5, "North (Pro05).", ""},
                      NameCase{"/x/North.csv", 123, "/x/North (Pro123).csv", "/x"},
                      // A "." in a folder name starts no extension: the file stays in it.
                      NameCase{"/my.data/North", 2, "/my.data/North (Pro02)", "/my.data"},
                      NameCase{"/North.csv", 4, "/North (Pro04).csv", ""},
                      // Numbers of every width are kept whole, never cut.
                      NameCase{"North.csv", -2147483647 - 1, "North (Pro-2147483648).csv", ""},
                      NameCase{"North.csv", -3, "North (Pro-3).csv", ""}));

struct TypedCase {
    const char* typed;
    const char* expected;  // nullptr: "Please enter an export filename"
    friend std::ostream& operator<<(std::ostream& os, const TypedCase& c) {
        return os << '"' << c.typed << '"';
    }
};

class CheckExportFileNameTest : public ::testing::TestWithParam<TypedCase> {};

TEST_P(CheckExportFileNameTest, AppliesTheDialogRules) {
    const TypedCase& c = GetParam();
    const auto name = CheckExportFileName(c.typed);
    if (c.expected == nullptr) {
        EXPECT_FALSE(name.has_value()) << c.typed;
    } else {
        ASSERT_TRUE(name.has_value()) << c.typed;
        EXPECT_EQ(*name, c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Typed, CheckExportFileNameTest,
                         ::testing::Values(TypedCase{"North", "North.csv"},
                                           TypedCase{"North.txt", "North.txt"},
                                           TypedCase{"  North  ", "North.csv"},
                                           TypedCase{" /d/North.csv\t", "/d/North.csv"},
                                           TypedCase{"/my.data/North", "/my.data/North.csv"},
                                           TypedCase{"d.ir/North", "d.ir/North.csv"},
                                           TypedCase{"", nullptr}, TypedCase{"   ", nullptr},
                                           TypedCase{"/data/", nullptr},
                                           TypedCase{"/data/  ", nullptr}));

}  // namespace
}  // namespace vantrel
