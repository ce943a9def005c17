// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ops/ExportSummary.h"

namespace vantrel {
namespace {

TEST(ExportSummary, NoListsNoMessages) {
    EXPECT_TRUE(BuildExportSummaries({}).empty());
}

TEST(ExportSummary, MessagesComeInTheOrderErrorUnchangedAppendedCreated) {
    ExportLists lists;
    lists.created = {1};
    lists.appended = {2};
    lists.unchanged = {4};
    lists.errors = {3, 7};
    const auto messages = BuildExportSummaries(lists);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].caption, "Error exporting profiles");
    EXPECT_EQ(messages[0].icon, SummaryIcon::Error);
    EXPECT_EQ(messages[0].text,
              "The following profiles were unable to be exported ! Probable causes may be because "
              "the destination files already existed and contained modified or mismatched "
              "information that would not allow the current profile to be appended or that "
              "profiles had incomplete setups:\n1. Profile 03\n2. Profile 07\n");
    EXPECT_EQ(messages[1].caption, "No relevant changes");
    EXPECT_EQ(messages[1].icon, SummaryIcon::Information);
    EXPECT_EQ(messages[1].text,
              "The following profiles had no relevant changes detected in them from existing "
              "profile files:\n1. Profile 04\n");
    EXPECT_EQ(messages[2].caption, "Appended Profiles");
    EXPECT_EQ(messages[2].text,
              "The following profiles were exported and appended to existing files:\n"
              "1. Profile 02\n");
    EXPECT_EQ(messages[3].caption, "Newly Created Profile Files");
    EXPECT_EQ(messages[3].text,
              "The following profiles were successfully exported to newly created files:\n"
              "1. Profile 01\n");
}

TEST(ExportSummary, ShowsOnlyNonEmptyListsAndWholeProfileNumbers) {
    ExportLists lists;
    lists.created = {5, 300, -1};
    const auto messages = BuildExportSummaries(lists);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Newly Created Profile Files");
    EXPECT_NE(messages[0].text.find("1. Profile 05\n2. Profile 300\n3. Profile -1\n"),
              std::string::npos)
        << messages[0].text;
}

TEST(ExportSummary, FilesThatAreNotTextAreNamedRightAfterTheErrors) {
    ExportLists lists;
    lists.errors = {3};
    lists.created = {4};
    lists.notText = {"Profile 03: /x/North_03.csv (it holds a NUL byte, so it is not text)"};
    const auto messages = BuildExportSummaries(lists);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].caption, "Error exporting profiles");
    EXPECT_EQ(messages[1].caption, "Export files that are not text");
    EXPECT_EQ(messages[1].icon, SummaryIcon::Error);
    EXPECT_EQ(messages[1].text,
              "The following existing files are not text, so no readings were appended to them; "
              "they were left as they were:\n1. Profile 03: /x/North_03.csv (it holds a NUL "
              "byte, so it is not text)\n");
    EXPECT_EQ(messages[2].caption, "Newly Created Profile Files");
}

}  // namespace
}  // namespace vantrel
