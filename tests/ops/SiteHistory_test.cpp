// SPDX-License-Identifier: GPL-3.0-or-later
// A site's history: which profiles of several backups are one series, and how their
// readings merge (one reading per time, the later backup's kept, gaps, disagreements).

#include <gtest/gtest.h>

#include "ops/ProfileSeries.h"
#include "ops/SiteHistory.h"
#include "ops/TestArchives.h"

namespace vantrel {
namespace {

using test::HourlyReadings;
using test::MakeArchive;
using test::TestProfile;

TestProfile Site(const char* key, int firstHour, int hours) {
    TestProfile profile;
    profile.key = key;
    profile.readings = HourlyReadings(firstHour, hours);
    return profile;
}

// A backup taken `takenAtHour` hours after the first reading.
HistoryBackup Backup(const std::string& title, int takenAtHour, std::vector<TestProfile> profiles) {
    HistoryBackup backup{title, MakeArchive(profiles), {}};
    backup.archive.m_dtBackup = FromLoggerSeconds(test::MarchFifthPlusHours(takenAtHour));
    return backup;
}

// The history in a line per series: "3: 1/2 readings 10 from A,B gaps 1 (5h) disagree 0
// differs '...'", then the incomplete profiles.
std::string Describe(const SiteHistory& history) {
    std::string text;
    for (const HistorySeries& series : history.Series()) {
        text += std::to_string(series.ProfileNo()) + ": " + std::to_string(series.ordinal) + "/" +
                std::to_string(series.ofProfile) + " readings " +
                std::to_string(series.readings.size()) + " from ";
        for (const BackupStretch& stretch : series.stretches) {
            text += history.Backups()[static_cast<std::size_t>(stretch.backup)].title;
        }
        text += " gaps " + std::to_string(series.gaps.size());
        for (const ReadingGap& gap : series.gaps) {
            text += " (" + std::to_string(gap.seconds / 3600) + "h)";
        }
        text += " disagree " + std::to_string(series.disagreements.size());
        for (const Disagreement& disagreement : series.disagreements) {
            text += " (" + history.Backups()[static_cast<std::size_t>(disagreement.kept)].title +
                    " over ";
            for (int b : disagreement.overruled) {
                text += history.Backups()[static_cast<std::size_t>(b)].title;
            }
            text += ")";
        }
        if (!series.difference.empty()) text += " differs '" + series.difference + "'";
        text += "\n";
    }
    for (const HistoryProfile& profile : history.Incomplete()) {
        text += "incomplete " + history.Backups()[static_cast<std::size_t>(profile.backup)].title +
                " " +
                std::to_string(history.ArchiveOf(profile).GetProfileNo(profile.profileIndex)) +
                "\n";
    }
    return text;
}

TEST(SiteHistory, MatchesAndMergesProfilesByTheRules) {
    TestProfile otherSoil = Site("03", 10, 10);
    otherSoil.soilCodes = {1, 3};
    TestProfile inches = Site("03", 10, 10);
    inches.inches = true;
    TestProfile offset = Site("03", 10, 10);
    offset.depthOffset = 3;
    TestProfile threeSensors = Site("03", 10, 10);
    threeSensors.soilCodes = {1, 2, 1};
    TestProfile changed = Site("03", 5, 10);
    changed.readings[2].calibrated[1] += 1.0f;  // hour 7 read anew
    HistoryBackup recalibrated = Backup("B", 30, {Site("03", 10, 10)});
    recalibrated.archive.m_strUserSoil.replace(0, 8, "3DF5C28F");  // user soil 1: A 0.12
    TestProfile incomplete = Site("04", 0, 0);
    incomplete.withData = false;

    const struct {
        const char* name;
        std::vector<HistoryBackup> backups;
        const char* expected;
    } cases[] = {
        {"same site, given out of order: one series in backup order",
         {Backup("B", 30, {Site("03", 10, 10)}), Backup("A", 12, {Site("03", 0, 10)})},
         "3: 1/1 readings 20 from AB gaps 0 disagree 0\n"},
        {"a site's readings and another site's stay apart",
         {Backup("A", 12, {Site("03", 0, 10), Site("05", 0, 10)}),
          Backup("B", 30, {Site("03", 10, 10)})},
         "3: 1/1 readings 20 from AB gaps 0 disagree 0\n"
         "5: 1/1 readings 10 from A gaps 0 disagree 0\n"},
        {"another soil code: two series, saying where",
         {Backup("A", 12, {Site("03", 0, 10)}), Backup("B", 30, {otherSoil})},
         "3: 1/2 readings 10 from A gaps 0 disagree 0\n"
         "3: 2/2 readings 10 from B gaps 0 disagree 0 differs 'soil codes at 20cm, calibration "
         "at 20cm'\n"},
        {"a soil table calibrated anew: two series",
         {Backup("A", 12, {Site("03", 0, 10)}), recalibrated},
         "3: 1/2 readings 10 from A gaps 0 disagree 0\n"
         "3: 2/2 readings 10 from B gaps 0 disagree 0 differs 'calibration at 10cm'\n"},
        {"other units, depth offset or sensor count: separate series",
         {Backup("A", 12, {Site("03", 0, 10)}), Backup("B", 30, {inches}),
          Backup("C", 31, {offset}), Backup("D", 32, {threeSensors})},
         "3: 1/4 readings 10 from A gaps 0 disagree 0\n"
         "3: 2/4 readings 10 from B gaps 0 disagree 0 differs 'units (cm, inches)'\n"
         "3: 3/4 readings 10 from C gaps 0 disagree 0 differs 'first depth (10cm, 7cm)'\n"
         "3: 4/4 readings 10 from D gaps 0 disagree 0 differs 'sensors (2, 3)'\n"},
        {"an overlap of equal readings is no disagreement",
         {Backup("A", 12, {Site("03", 0, 10)}), Backup("B", 30, {Site("03", 5, 15)})},
         "3: 1/1 readings 20 from AB gaps 0 disagree 0\n"},
        {"a gap longer than twice the usual interval",
         {Backup("A", 12, {Site("03", 0, 10)}), Backup("B", 30, {Site("03", 10, 8)}),
          Backup("C", 40, {Site("03", 22, 10)})},
         "3: 1/1 readings 28 from ABC gaps 1 (5h) disagree 0\n"},
        {"a reading the later backup holds otherwise: kept from it, counted once",
         {Backup("A", 12, {Site("03", 0, 10)}), Backup("B", 30, {changed})},
         "3: 1/1 readings 15 from AB gaps 0 disagree 1 (B over A)\n"},
        {"a profile without a data file joins no series",
         {Backup("A", 12, {Site("03", 0, 10), incomplete})},
         "3: 1/1 readings 10 from A gaps 0 disagree 0\nincomplete A 4\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Describe(SiteHistory(c.backups)), c.expected) << c.name;
    }
}

TEST(SiteHistory, TheChartTakesTheKeptReadingsAndBreaksItsLinesAtGaps) {
    TestProfile changed = Site("03", 5, 10);
    changed.readings[2].calibrated[1] = 99.0f;  // hour 7
    const SiteHistory history({Backup("A", 12, {Site("03", 0, 10)}), Backup("B", 30, {changed}),
                               Backup("C", 40, {Site("03", 20, 4)})});
    const HistorySeries& merged = history.Series().at(0);
    EXPECT_EQ(merged.usualIntervalSeconds, 3600);
    ASSERT_EQ(merged.gaps.size(), 1u);  // hours 14 to 20
    EXPECT_EQ(merged.gaps[0].seconds, 6 * 3600);

    const ProfileSeries series = BuildHistorySeries(history, 0, ExportFormat::Calibrated);
    EXPECT_EQ(series.readings, 19);
    ASSERT_EQ(series.depths.size(), 2u);
    const DepthSeries& second = series.depths[1];
    ASSERT_EQ(second.runs.size(), 2u);
    EXPECT_EQ(second.runs[0].size(), 15u);
    EXPECT_EQ(second.runs[1].size(), 4u);
    EXPECT_EQ(second.runs[0][7].value, 99.0f);  // B's reading of hour 7, not A's
    EXPECT_EQ(history.BackupOf(merged, merged.readings[7]), 1);
    EXPECT_EQ(second.runs[0][4].value, 14.5f);  // A's hour 4, which B does not hold
    EXPECT_EQ(history.BackupOf(merged, merged.readings[4]), 0);
    // The points keep their merged reading's index and time.
    EXPECT_EQ(second.runs[1][0].reading, 15);
    EXPECT_EQ(second.runs[1][0].days, merged.readings[15].days);
    EXPECT_EQ(merged.stretches.size(), 3u);
    EXPECT_EQ(merged.stretches[1].firstDays, merged.readings[5].days);
}

}  // namespace
}  // namespace vantrel
