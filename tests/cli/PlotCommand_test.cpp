// SPDX-License-Identifier: GPL-3.0-or-later
// `vantrel plot`, run as a user would: PNG and SVG files of the asked size in both formats,
// without a display, and the exit codes and messages of what it refuses.

#include <gtest/gtest.h>

#include <QImage>
#include <QRegularExpression>
#include <QString>
#include <QXmlStreamReader>
#include <filesystem>
#include <fstream>

#include "support/ChildProcess.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A sample backup of 3 profiles, and the same with profile 2's data file gone.
class PlotCommandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = fs::temp_directory_path() / ("vantrel-plot-test-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        const std::string image = (folder_ / "image").string();
        ASSERT_EQ(test::RunProcess(VANTREL_MAKE_SAMPLE, {image, "--profiles", "3", "--readings",
                                                         "40", "--sensors", "5", "--seed", "3"})
                      .exitCode,
                  0);
        ASSERT_EQ(test::RunProcess(VANTREL_PACK_IMAGE, {image, Good()}).exitCode, 0);
        fs::remove(folder_ / "image" / "PRO02.DAT00");
        ASSERT_EQ(test::RunProcess(VANTREL_PACK_IMAGE, {image, Partial()}).exitCode, 0);
    }
    static void TearDownTestSuite() { fs::remove_all(folder_); }

    static std::string Good() { return (folder_ / "North.vbk").string(); }
    static std::string Partial() { return (folder_ / "partial.vbk").string(); }
    static std::string Out(const std::string& name) { return (folder_ / name).string(); }

    // The tool as run from a terminal with no display at all.
    static test::ProcessResult Plot(std::vector<std::string> args) {
        args.insert(args.begin(), "plot");
        test::ProcessOptions options;
        options.env = {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=",
                       "XDG_CONFIG_HOME=" + (folder_ / "config").string(), "LC_ALL=C"};
        return test::RunProcess(VANTREL_CLI, args, options);
    }

    static fs::path folder_;
};
fs::path PlotCommandTest::folder_;

TEST_F(PlotCommandTest, WritesPngAndSvgOfTheAskedSizeWithoutADisplay) {
    const test::ProcessResult png = Plot({Good(), "--profile", "1", "--out", Out("one.png")});
    ASSERT_EQ(png.exitCode, 0) << png.err;
    EXPECT_TRUE(png.err.empty()) << png.err;
    EXPECT_TRUE(Contains(png.out,
                         "profile 1, 40 readings at 5 depths, calibrated moisture, "
                         "1200x700"))
        << png.out;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(Out("one.png")), "PNG"));
    EXPECT_EQ(image.size(), QSize(1200, 700));
    // Packed: a chart is mostly white, far smaller than its 2.5 MB of pixels.
    EXPECT_LT(fs::file_size(Out("one.png")), 1200u * 700u * 3u / 8u);

    const test::ProcessResult sized = Plot({Good(), "--profile", "3", "--out", Out("three.PNG"),
                                            "--format", "scaled", "--size", "640x480"});
    ASSERT_EQ(sized.exitCode, 0) << sized.err;
    EXPECT_TRUE(Contains(sized.out, "scaled frequency, 640x480")) << sized.out;
    ASSERT_TRUE(image.load(QString::fromStdString(Out("three.PNG")), "PNG"));
    EXPECT_EQ(image.size(), QSize(640, 480));
    // Not a blank page: the lines are drawn in colour.
    int coloured = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const QColor c = image.pixelColor(x, y);
            coloured += c.saturation() > 100 ? 1 : 0;
        }
    }
    EXPECT_GT(coloured, 200);

    const test::ProcessResult svg =
        Plot({Good(), "--profile", "2", "--out", Out("two.svg"), "--size", "800x500"});
    ASSERT_EQ(svg.exitCode, 0) << svg.err;
    const QString text = QString::fromStdString(ReadText(Out("two.svg")));
    EXPECT_TRUE(text.startsWith("<?xml")) << text.left(200).toStdString();
    EXPECT_TRUE(text.contains("viewBox=\"0 0 800 500\""));
    EXPECT_TRUE(text.contains("<title>North: Profile 2</title>"));
    EXPECT_TRUE(text.trimmed().endsWith("</svg>"));
    QXmlStreamReader xml(text);
    int lines = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        lines += xml.isStartElement() && xml.name() == QLatin1String("polyline") ? 1 : 0;
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GE(lines, 5);  // at least a line for each depth
    // Width and height in millimetres at 96 dots per inch: 800 and 500 pixels.
    const QRegularExpressionMatch size =
        QRegularExpression(R"(<svg width="([0-9.]+)mm" height="([0-9.]+)mm")").match(text);
    ASSERT_TRUE(size.hasMatch());
    EXPECT_NEAR(size.captured(1).toDouble() / 25.4 * 96.0, 800.0, 0.01);
    EXPECT_NEAR(size.captured(2).toDouble() / 25.4 * 96.0, 500.0, 0.01);
}

TEST_F(PlotCommandTest, RefusesWhatItCannotDrawWithClearMessagesAndExitCodes) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    };
    const std::string out = Out("refused.png");
    const Case cases[] = {
        {{Good(), "--profile", "9", "--out", out}, 2, "the backup holds no profile 9"},
        {{Good(), "--profile", "1,2", "--out", out}, 2, "one profile number, not '1,2'"},
        {{Good(), "--out", out}, 2, "--profile N is required"},
        {{Good(), "--profile", "1"}, 2, "--out FILE.png or FILE.svg is required"},
        {{Good(), "--profile", "1", "--out", Out("x.jpg")}, 2, "a .png or .svg file"},
        {{Good(), "--profile", "1", "--out", out, "--format", "raw"},
         2,
         "'calibrated' or 'scaled'"},
        {{Good(), "--profile", "1", "--out", out, "--size", "640"}, 2, "WIDTHxHEIGHT"},
        {{Good(), "--profile", "1", "--out", out, "--size", "640x-2"}, 2, "200 to 4000 pixels"},
        {{Good(), "--profile", "1", "--out", out, "--size", "100x100"}, 2, "200 to 4000 pixels"},
        {{Good(), "--profile", "1", "--out", out, "--size", "5000x700"}, 2, "200 to 4000 pixels"},
        {{Out("missing.vbk"), "--profile", "1", "--out", out}, 2, "Could not open backup"},
        {{Partial(), "--profile", "2", "--out", out},
         1,
         "Profile 2 is incomplete: the backup holds no data file for it. No image was written."},
    };
    for (const Case& c : cases) {
        const test::ProcessResult run = Plot(c.args);
        std::string line;
        for (const auto& a : c.args) line += a + " ";
        EXPECT_EQ(run.exitCode, c.exitCode) << line << "\n" << run.err;
        EXPECT_TRUE(Contains(run.err, c.message)) << line << "\n" << run.err;
        EXPECT_TRUE(run.out.empty()) << line;
        EXPECT_FALSE(fs::exists(out)) << line;
    }
}

TEST_F(PlotCommandTest, AFileThatCannotBeWrittenFailsWithTheReasonAndAnOldFileStays) {
    const fs::path notAFolder = folder_ / "plain-file";
    std::ofstream(notAFolder) << "x";
    const test::ProcessResult run =
        Plot({Good(), "--profile", "1", "--out", (notAFolder / "c.png").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        Contains(run.err, "cannot write " + (notAFolder / "c.png").string() + ": Not a directory"))
        << run.err;

    // Written again over an existing picture: replaced whole, no temporary file left.
    const std::string again = Out("again.png");
    ASSERT_EQ(Plot({Good(), "--profile", "1", "--out", again, "--size", "300x200"}).exitCode, 0);
    ASSERT_EQ(Plot({Good(), "--profile", "1", "--out", again, "--size", "400x300"}).exitCode, 0);
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(again), "PNG"));
    EXPECT_EQ(image.size(), QSize(400, 300));
    for (const auto& entry : fs::directory_iterator(folder_)) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
    }
}

TEST_F(PlotCommandTest, HelpNamesTheCommandAndItsOptions) {
    test::ProcessOptions options;
    const test::ProcessResult list = test::RunProcess(VANTREL_CLI, {"--help"}, options);
    EXPECT_TRUE(Contains(list.out, "  plot")) << list.out;
    const test::ProcessResult help = test::RunProcess(VANTREL_CLI, {"plot", "--help"}, options);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* part : {"--profile N", "--out FILE", "--format FORMAT", "--size WxH"}) {
        EXPECT_TRUE(Contains(help.out, part)) << part << "\n" << help.out;
    }
}

}  // namespace
}  // namespace vantrel
