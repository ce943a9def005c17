// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

#include <filesystem>
#include <fstream>

#include "support/ChildProcess.h"
#include "platform/Version.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::RunProcess;
using test::ProcessResult;

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

TEST_F(CliTest, UsageErrorsExitWithTwoAndAHintOnStderr) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"bogus"},
        {"--bogus"},
        {"info"},
        {"info", Good(), "--bogus"},
        {"info", Good(), "extra"},
        {"export", Good()},
        {"export", Good(), "--out"},
        {"export", Good(), "--out", Out("x"), "--format", "xml"},
        {"export", Good(), "--out", Out("x"), "--profiles", "42"},
        {"export", Good(), "--out", Out("x"), "--profiles", "1,,2"},
        {"export", Good(), "--json", "--out", Out("x")},
    };
    for (const auto& args : cases) {
        const ProcessResult run = Vantrel(args);
        std::string line;
        for (const auto& a : args) line += a + " ";
        EXPECT_EQ(run.exitCode, 2) << line;
        EXPECT_TRUE(Contains(run.err, "--help")) << line << "\n" << run.err;
        EXPECT_TRUE(run.out.empty()) << line;
    }
    EXPECT_FALSE(fs::exists(Out("x (Pro01).csv")));
}

TEST_F(CliTest, HelpAndVersionWorkOnEveryCommandAndAtTheTop) {
    for (const std::vector<std::string>& prefix :
         {std::vector<std::string>{}, {"info"}, {"export"}}) {
        auto help = prefix;
        help.push_back("--help");
        const ProcessResult helpRun = Vantrel(help);
        EXPECT_EQ(helpRun.exitCode, 0);
        EXPECT_TRUE(Contains(helpRun.out, "Usage: vantrel")) << helpRun.out;
        EXPECT_TRUE(Contains(helpRun.out, "--version")) << helpRun.out;

        auto version = prefix;
        version.push_back("--version");
        const ProcessResult versionRun = Vantrel(version);
        EXPECT_EQ(versionRun.exitCode, 0);
        EXPECT_TRUE(Contains(versionRun.out, std::string("vantrel ") + kVersion)) << versionRun.out;
        EXPECT_TRUE(Contains(versionRun.out, ", Qt 6.")) << versionRun.out;
        EXPECT_TRUE(Contains(versionRun.out, "\nLicense: GPL-3.0-or-later\n")) << versionRun.out;
    }
    const ProcessResult top = Vantrel({"--help"});
    EXPECT_TRUE(Contains(top.out, "  info") && Contains(top.out, "  export")) << top.out;
    EXPECT_TRUE(Contains(Vantrel({"export", "--help"}).out, "--profiles N,N,..."));
}

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

TEST_F(CliTest, InfoJsonHasExactlyTheDocumentedKeys) {
    const ProcessResult run = Vantrel({"info", Partial(), "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out;
    const QJsonObject top = doc.object();
    QStringList keys = top.keys();
    keys.sort();
    EXPECT_EQ(keys, QStringList({"backupDate", "dateFrom", "dateTo", "hasDeviceConfig",
                                 "hasOrtvelSoil", "hasUserSoil", "otherFiles", "profiles"}));
    const QRegularExpression iso("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$");
    EXPECT_TRUE(iso.match(top["backupDate"].toString()).hasMatch());
    EXPECT_TRUE(iso.match(top["dateFrom"].toString()).hasMatch());
    EXPECT_TRUE(top["hasUserSoil"].toBool() && top["hasOrtvelSoil"].toBool() &&
                top["hasDeviceConfig"].toBool());

    const QJsonArray profiles = top["profiles"].toArray();
    ASSERT_EQ(profiles.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QJsonObject p = profiles[i].toObject();
        QStringList profileKeys = p.keys();
        profileKeys.sort();
        EXPECT_EQ(profileKeys,
                  QStringList({"firstDepth", "firstReading", "lastDepth", "lastReading", "number",
                               "readings", "sensors", "units"}));
        EXPECT_EQ(p["number"].toInt(), i + 1);
    }
    const QJsonObject complete = profiles[0].toObject();
    EXPECT_EQ(complete["units"].toString(), "cm");
    EXPECT_EQ(complete["readings"].toInt(), 6);
    EXPECT_EQ(complete["sensors"].toInt(), 3);
    EXPECT_EQ(complete["lastDepth"].toInt(), 30);
    EXPECT_EQ(profiles[1].toObject()["units"], QJsonValue(QJsonValue::Null));  // incomplete
    EXPECT_EQ(profiles[1].toObject()["firstReading"], QJsonValue(QJsonValue::Null));
    EXPECT_EQ(profiles[1].toObject()["readings"].toInt(), 0);

    const QJsonArray others = top["otherFiles"].toArray();
    ASSERT_EQ(others.size(), 3);
    EXPECT_EQ(others[0].toObject()["name"].toString(), "PRODUCTS.GR");
    EXPECT_EQ(others[0].toObject().keys(), QStringList({"bytes", "name"}));
    EXPECT_EQ(others[1].toObject()["bytes"].toInt(), 16);
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

    // A folder that is not there is named before anything is exported.
    const ProcessResult noFolder = Vantrel({"export", Good(), "--out", Out("nowhere/N.csv")});
    EXPECT_EQ(noFolder.exitCode, 2);
    EXPECT_TRUE(Contains(noFolder.err, "The export folder does not exist: ")) << noFolder.err;

    // A name without an extension in a folder with a "." gets ".csv".
    fs::create_directories(Out("d.ir"));
    EXPECT_EQ(Vantrel({"export", Good(), "--out", Out("d.ir/North"), "--profiles", "1"}).exitCode,
              0);
    EXPECT_TRUE(fs::exists(Out("d.ir/North (Pro01).csv")));

    const ProcessResult noName = Vantrel({"export", Good(), "--out", Out("run2/") + "  "});
    EXPECT_EQ(noName.exitCode, 2);
    EXPECT_TRUE(Contains(noName.err, "Please enter an export filename")) << noName.err;
}

}  // namespace
}  // namespace vantrel
