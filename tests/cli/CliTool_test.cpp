// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <fstream>
#include <map>

#include "support/ChildProcess.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;
using test::RunProcess;

ProcessResult Vantrel(const std::vector<std::string>& args) {
    return RunProcess(VANTREL_CLI, args);
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Two backups made from a sample image: one whole, one whose profile 2 lost its data file.
class CliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = fs::temp_directory_path() / ("vantrel-cli-test-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        const std::string image = (folder_ / "image").string();
        ASSERT_EQ(RunProcess(VANTREL_MAKE_SAMPLE, {image, "--profiles", "3", "--readings", "6",
                                                   "--sensors", "3", "--seed", "7"})
                      .exitCode,
                  0);
        ASSERT_EQ(RunProcess(VANTREL_PACK_IMAGE, {image, Good()}).exitCode, 0);
        fs::remove(folder_ / "image" / "PRO02.DAT00");
        ASSERT_EQ(RunProcess(VANTREL_PACK_IMAGE, {image, Partial()}).exitCode, 0);
        // A backup that announces two profiles and ends inside the first record's tag.
        std::ofstream(Corrupt(), std::ios::binary)
            << std::string("\x01\x80\x02\x00\xFF\xFF\x00\x01", 8);
    }
    static void TearDownTestSuite() { fs::remove_all(folder_); }

    static std::string Good() { return (folder_ / "good.vbk").string(); }
    static std::string Partial() { return (folder_ / "partial.vbk").string(); }
    static std::string Corrupt() { return (folder_ / "corrupt.vbk").string(); }
    static std::string Out(const std::string& name) { return (folder_ / name).string(); }

    static fs::path folder_;
};
fs::path CliTest::folder_;

TEST_F(CliTest, UnreadableBackupsAreReportedWithTheirMessages) {
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {Out("missing.vbk"), "Could not open backup for loading"},
        {Corrupt(), "Could not open backup. Exception thrown in stored data"},
    };
    for (const auto& c : cases) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"info", c.path},
              std::vector<std::string>{"export", c.path, "--out", Out("never.csv")}}) {
            const ProcessResult run = Vantrel(args);
            EXPECT_EQ(run.exitCode, 2) << c.path;
            EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
        }
    }
    EXPECT_FALSE(fs::exists(Out("never (Pro01).csv")));
}

TEST_F(CliTest, InfoJsonGivesAnIncompleteProfileNullsAndNoReadings) {
    const ProcessResult run = Vantrel({"info", Partial(), "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out;
    const QJsonArray profiles = doc.object()["profiles"].toArray();
    ASSERT_EQ(profiles.size(), 3);
    const QJsonObject incomplete = profiles[1].toObject();
    EXPECT_EQ(incomplete["number"].toInt(), 2);
    EXPECT_EQ(incomplete["units"], QJsonValue(QJsonValue::Null));
    EXPECT_EQ(incomplete["firstReading"], QJsonValue(QJsonValue::Null));
    EXPECT_EQ(incomplete["readings"].toInt(), 0);
    EXPECT_EQ(profiles[2].toObject()["readings"].toInt(), 6);  // the one after it is whole
}

TEST_F(CliTest, ExportCreatesThenFindsNoChangesThenRefusesTheOtherFormat) {
    const std::string out = Out("run1/North");
    fs::create_directories(Out("run1"));
    const ProcessResult first = Vantrel({"export", Good(), "--out", out});
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_TRUE(Contains(first.out, "Newly Created Profile Files\n"));
    EXPECT_TRUE(Contains(first.out, "3. Profile 03\n"));
    EXPECT_TRUE(Contains(first.out, Out("run1")));  // where the files went
    for (const char* name : {"North (Pro01).csv", "North (Pro02).csv", "North (Pro03).csv"}) {
        EXPECT_TRUE(fs::exists(Out("run1/") + name)) << name;
    }

    const ProcessResult second = Vantrel({"export", Good(), "--out", out + ".csv"});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(Contains(second.out, "No relevant changes\n")) << second.out;

    const ProcessResult scaled =
        Vantrel({"export", Good(), "--out", out + ".csv", "--format", "scaled", "--profiles", "2"});
    EXPECT_EQ(scaled.exitCode, 1);
    EXPECT_TRUE(Contains(scaled.err, "Error exporting profiles\n")) << scaled.err;
    EXPECT_TRUE(Contains(scaled.err, "1. Profile 02\n"));
}

TEST_F(CliTest, ExportSelectsProfilesAndReportsFailures) {
    fs::create_directories(Out("run2"));
    const ProcessResult some =
        Vantrel({"export", Good(), "--out", Out("run2/S.txt"), "--profiles", "3,1"});
    EXPECT_EQ(some.exitCode, 0) << some.err;
    EXPECT_TRUE(Contains(some.out, "1. Profile 01\n2. Profile 03\n")) << some.out;
    EXPECT_TRUE(fs::exists(Out("run2/S (Pro03).txt")));
    EXPECT_FALSE(fs::exists(Out("run2/S (Pro02).txt")));

    const ProcessResult partial = Vantrel({"export", Partial(), "--out", Out("run2/P.csv")});
    EXPECT_EQ(partial.exitCode, 1);  // profile 2 is incomplete; 1 and 3 are written
    EXPECT_TRUE(Contains(partial.err, "Error exporting profiles"));
    EXPECT_TRUE(fs::exists(Out("run2/P (Pro01).csv")) && fs::exists(Out("run2/P (Pro03).csv")));

    // A name without an extension in a folder with a "." gets ".csv".
    fs::create_directories(Out("d.ir"));
    EXPECT_EQ(Vantrel({"export", Good(), "--out", Out("d.ir/North"), "--profiles", "1"}).exitCode,
              0);
    EXPECT_TRUE(fs::exists(Out("d.ir/North (Pro01).csv")));

    const ProcessResult noName = Vantrel({"export", Good(), "--out", Out("run2/") + "  "});
    EXPECT_EQ(noName.exitCode, 2);
    EXPECT_TRUE(Contains(noName.err, "Please enter an export filename")) << noName.err;
}

// The files of the regular files under `folder`, by name.
std::map<std::string, std::string> FilesIn(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in), {}};
    }
    return files;
}

TEST_F(CliTest, ExportOfSeveralBackupsWritesTheFilesOfExportsOneByOneInBackupOrder) {
    // Backups that share readings, one held otherwise, a lost one and a new calibration: the
    // exports create, append, find nothing new and refuse.
    const fs::path visits = Out("visits");
    ASSERT_EQ(RunProcess(
                  VANTREL_MAKE_SITE_HISTORY,
                  {visits.string(), "--visits", "6", "--days", "2", "--profiles", "3", "--sensors",
                   "3", "--overlap", "5", "--lost", "3", "--read-anew", "2", "--recalibrated", "5"})
                  .exitCode,
              0);
    const auto visit = [&](int number) {
        return (visits / ("Visit 0" + std::to_string(number) + ".vbk")).string();
    };
    fs::create_directories(Out("together"));
    fs::create_directories(Out("one-by-one"));
    const ProcessResult together = Vantrel({"export", visit(5), visit(1), visit(6), visit(2),
                                            visit(4), "--out", Out("together/site.csv")});
    EXPECT_EQ(together.exitCode, 1) << together.err;  // the new calibration is refused
    std::string sequential;
    for (const int number : {1, 2, 4, 5, 6}) {
        const ProcessResult one =
            Vantrel({"export", visit(number), "--out", Out("one-by-one/site.csv")});
        sequential += one.out;
    }
    const auto expected = FilesIn(Out("one-by-one"));
    EXPECT_EQ(expected.size(), 3u);
    EXPECT_EQ(FilesIn(Out("together")), expected);
    EXPECT_TRUE(Contains(sequential, "appended")) << sequential;
    EXPECT_TRUE(Contains(together.out, "Backup 5 of 5: Visit 06 (taken ")) << together.out;
}

}  // namespace
}  // namespace vantrel
