// SPDX-License-Identifier: GPL-3.0-or-later
// The Excludes list of "Vantrel.ini".

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "data/Excludes.h"

namespace vantrel {
namespace {

class Excludes : public testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("vantrel-excludes-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path Ini(const std::string& text, const char* name = "Vantrel.ini") {
        const std::filesystem::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::filesystem::path folder_;
};

struct ExcludeCase {
    const char* what;
    const char* ini;
    const char* name;
    bool excluded;
};

TEST_F(Excludes, Rules) {
    const ExcludeCase cases[] = {
        {"single key", "[Excludes]\nExclude#1=PRODUCTS.GR\n", "PRODUCTS.GR", true},
        {"other name", "[Excludes]\nExclude#1=PRODUCTS.GR\n", "QUILON.CFG00", false},
        {"letter case of the value", "[Excludes]\nExclude#1=products.gr\n", "PRODUCTS.GR", true},
        {"empty value goes on", "[Excludes]\nExclude#1=\nExclude#2=PRODUCTS.GR\n", "PRODUCTS.GR",
         true},
        {"gap ends the list", "[Excludes]\nExclude#1=A.GR\nExclude#3=PRODUCTS.GR\n", "PRODUCTS.GR",
         false},
        {"EMPTY ends the list", "[Excludes]\nExclude#1=EMPTY\nExclude#2=PRODUCTS.GR\n",
         "PRODUCTS.GR", false},
        {"a file named Empty", "[Excludes]\nExclude#1=A.GR\n", "eMPTY", true},
        {"later match", "[Excludes]\nExclude#1=A.GR\nExclude#2=B.GR\n", "B.GR", true},
        {"section and key case", "[eXCLUDES]\nexclude#1=B.GR\n", "B.GR", true},
        {"blanks and CR LF", "\r\n [Excludes] \r\n  Exclude#1  =  B.GR  \r\n", "B.GR", true},
        {"comment lines", "[Excludes]\n;Exclude#1=B.GR\nExclude#1=C.GR\n", "B.GR", false},
        {"first duplicate wins", "[Excludes]\nExclude#1=B.GR\nExclude#1=C.GR\n", "C.GR", false},
        {"quotes dropped", "[Excludes]\nExclude#1=\"B.GR\"\n", "B.GR", true},
        {"other section", "[Other]\nExclude#1=B.GR\n[Excludes]\nExclude#2=B.GR\n", "B.GR", false},
        {"only the first section of a name",
         "[Excludes]\nExclude#1=A.GR\n[Other]\n[Excludes]\nExclude#2=B.GR\n", "B.GR", false},
        {"no section", "Exclude#1=B.GR\n", "B.GR", false},
        {"line without value", "[Excludes]\nExclude#1\nExclude#2=B.GR\n", "B.GR", true},
    };
    for (const ExcludeCase& c : cases) {
        EXPECT_EQ(IsExcluded(c.name, Ini(c.ini)), c.excluded) << c.what;
    }
}

TEST_F(Excludes, ValuesAreCutTo259Characters) {
    const std::string name(300, 'N');
    EXPECT_FALSE(IsExcluded(name, Ini("[Excludes]\nExclude#1=" + name + "\n")));
    EXPECT_TRUE(IsExcluded(name.substr(0, 259), Ini("[Excludes]\nExclude#1=" + name + "\n")));
}

TEST_F(Excludes, MissingOrUnreadableFileExcludesOnlyEmpty) {
    // (A pipe of that name: posix/FilesPosix_test.cpp.)
    for (const std::filesystem::path& ini : {folder_ / "none.ini", folder_}) {
        EXPECT_FALSE(IsExcluded("PRODUCTS.GR", ini)) << ini;
        EXPECT_TRUE(IsExcluded("Empty", ini)) << ini;
    }
}

TEST_F(Excludes, ReadsTheFileInTheCurrentDirectoryAfreshEachCall) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    const bool before = IsExcluded("PRODUCTS.GR");
    Ini("[Excludes]\nExclude#1=PRODUCTS.GR\n");
    const bool after = IsExcluded("PRODUCTS.GR");
    std::filesystem::remove(folder_ / "Vantrel.ini");
    Ini("[Excludes]\nExclude#1=OTHER.GR\n", "VANTREL.INI");
    const bool otherCase = IsExcluded("OTHER.GR");
    std::filesystem::current_path(previous);
    EXPECT_FALSE(before);
    EXPECT_TRUE(after);
    EXPECT_TRUE(otherCase);
}

}  // namespace
}  // namespace vantrel
