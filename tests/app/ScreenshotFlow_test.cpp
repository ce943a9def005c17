// SPDX-License-Identifier: GPL-3.0-or-later
// The steps of vantrel-screenshots on a real main sheet whose logger is the simulator's
// engine in-process: a backup it reports as completed must be on disk, the export dialog it
// photographs must be closed again without exporting, and every picture it claims must
// exist. A step whose page lacks its controls is skipped, not failed.

#include "screenshots/ScreenshotFlow.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <filesystem>
#include <memory>

#include "app/GuiFixture.h"
#include "app/common/ListCtrlEx.h"
#include "app/pages/FilePage.h"
#include "app/pages/RestoreExportPage.h"
#include "sample/SampleImage.h"
#include "screenshots/ScreenDriver.h"
#include "sim/InProcessLoggerPort.h"
#include "sim/LoggerEngine.h"

namespace vantrel::shots {
namespace {

namespace fs = std::filesystem;
using app::CListCtrlEx;

sim::LoggerFileSystem SampleLogger(bool withUserSoil = true) {
    sim::LoggerFileSystem files;
    for (const sample::LoggerFile& file :
         sample::MakeSampleImage({.profiles = 2, .readings = 6, .sensors = 2, .seed = 9})) {
        if (!withUserSoil && file.name == "USERSOIL.CFG01") continue;
        files.Put(file.name, file.bytes, sim::CivilTime{2026, 12, 6, 9, 0, 0});
    }
    return files;
}

class ScreenshotFlowTest : public app::test::GuiTest {
protected:
    ScreenshotFlowTest()
        : camera_(QDir(QString::fromStdString((folder_.path() / "pictures").string()))) {
        fs::create_directories(folder_.path() / "pictures");
    }
    // The sheet goes before the logger it talks to.
    ~ScreenshotFlowTest() override { sheet_.reset(); }

    app::CMainSheet& Start(bool withIdTags, sim::LoggerFileSystem files = SampleLogger()) {
        sheet_.reset();
        logger_ = std::make_unique<sim::LoggerEngine>(std::move(files));
        return MakeSheet(withIdTags, sim::InProcessPortFactory(*logger_));
    }
    bool PictureExists(const std::string& name) const {
        const fs::path path = folder_.path() / "pictures" / (name + ".png");
        return fs::exists(path) && fs::file_size(path) > 0;
    }

    std::unique_ptr<sim::LoggerEngine> logger_;
    Camera camera_;
};

TEST(ScreenshotFlowNames, PictureNamesComeFromTheCaptionsInLowerCase) {
    EXPECT_EQ(PictureName("Restore / Export"), "restore-export");
    EXPECT_EQ(PictureName("ID Tags"), "id-tags");
    EXPECT_EQ(PictureName("Backup"), "backup");
}

TEST_F(ScreenshotFlowTest, ABackupReportedCompletedIsOnDiskUnderTheNameThePageShows) {
    app::CMainSheet& sheet = Start(false);
    const std::optional<BackupControls> controls = FindBackupControls(sheet);
    ASSERT_TRUE(controls.has_value());

    EXPECT_TRUE(RunBackup(sheet, *controls, "North", {}));
    EXPECT_EQ(controls->name->text(), "North.vbk");
    EXPECT_TRUE(fs::exists(BackupFolder() / "North.vbk"));

    // The same name again: the page numbers it, and the tool reads the name it chose.
    EXPECT_TRUE(RunBackup(sheet, *controls, "North", {}));
    EXPECT_EQ(controls->name->text(), "North(1).vbk");
    EXPECT_TRUE(fs::exists(BackupFolder() / "North(1).vbk"));
    EXPECT_FALSE(sheet.IsOperationRunning());
}

TEST_F(ScreenshotFlowTest, AFailedBackupIsReportedAsFailed) {
    app::CMainSheet& sheet = Start(false, SampleLogger(/*withUserSoil=*/false));
    const std::optional<BackupControls> controls = FindBackupControls(sheet);
    ASSERT_TRUE(controls.has_value());
    EXPECT_FALSE(RunBackup(sheet, *controls, "North", {}));
    EXPECT_FALSE(fs::exists(BackupFolder() / "North.vbk"));
    EXPECT_FALSE(prompt_.shown().empty());
}

TEST_F(ScreenshotFlowTest, EveryPageIsPicturedAndTheFirstPageIsActiveAfterwards) {
    app::CMainSheet& sheet = Start(true);
    ShootPages(sheet, camera_, "page-");
    EXPECT_EQ(camera_.Saved(),
              QStringList({"page-backup", "page-restore-export", "page-settings", "page-id-tags"}));
    for (const QString& name : camera_.Saved()) EXPECT_TRUE(PictureExists(name.toStdString()));
    EXPECT_EQ(sheet.ActivePage(), sheet.Pages().front());
    EXPECT_TRUE(camera_.ok());
}

TEST_F(ScreenshotFlowTest, TheExportDialogIsPicturedForTheChosenBackupThenCancelled) {
    app::CMainSheet& sheet = Start(false);
    const std::optional<BackupControls> controls = FindBackupControls(sheet);
    ASSERT_TRUE(controls.has_value());
    ASSERT_TRUE(RunBackup(sheet, *controls, "Alpha", {}));
    ASSERT_TRUE(RunBackup(sheet, *controls, "Beta", {}));
    const auto before =
        std::distance(fs::directory_iterator(folder_.path() / "desktop"), fs::directory_iterator());

    EXPECT_TRUE(ShootExportDialog(sheet, camera_, "Beta"));
    auto* list = sheet.RestoreExportPage()->findChild<CListCtrlEx*>("backupList");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ItemText(list->SelectedRow(), 0), "Beta");
    EXPECT_EQ(camera_.Saved(), QStringList({"export-dialog"}));
    EXPECT_TRUE(PictureExists("export-dialog"));
    auto* dialog = FindWidget<QDialog>("exportDialog");
    EXPECT_TRUE(dialog == nullptr || !dialog->isVisible());
    EXPECT_EQ(
        std::distance(fs::directory_iterator(folder_.path() / "desktop"), fs::directory_iterator()),
        before);
    EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(ScreenshotFlowTest, NoExportDialogIsShotWhenNoBackupIsListed) {
    app::CMainSheet& sheet = Start(false);
    EXPECT_FALSE(ShootExportDialog(sheet, camera_, "Beta"));
    EXPECT_TRUE(camera_.Saved().isEmpty());
}

TEST_F(ScreenshotFlowTest, TheIdTagsPictureShowsTheLoggersIdFiles) {
    app::CMainSheet& sheet = Start(true);
    EXPECT_TRUE(ShootIdTagsListing(sheet, camera_));
    auto* list = sheet.FilePage()->findChild<CListCtrlEx*>("idFileList");
    ASSERT_NE(list, nullptr);
    EXPECT_GT(list->RowCount(), 0);
    EXPECT_EQ(camera_.Saved(), QStringList({"id-tags-listed"}));
    EXPECT_TRUE(PictureExists("id-tags-listed"));
}

TEST_F(ScreenshotFlowTest, ASheetWithoutTheIdTagsPageIsSkipped) {
    app::CMainSheet& sheet = Start(false);
    EXPECT_FALSE(ShootIdTagsListing(sheet, camera_));
    EXPECT_TRUE(camera_.Saved().isEmpty());
}

}  // namespace
}  // namespace vantrel::shots
