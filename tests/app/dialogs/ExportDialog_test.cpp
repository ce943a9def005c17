// SPDX-License-Identifier: GPL-3.0-or-later
// The Export to CSV dialog (its list, its checks on OK, browsing for the file) and the
// export run behind the Restore / Export page's "Export": the files it writes against
// those of `vantrel export`, a second run, cancelling and the "Export Path" setting.

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/GuiFixture.h"
#include "app/common/ControlIds.h"
#include "app/common/ListCtrlEx.h"
#include "app/common/Strings.h"
#include "app/dialogs/ExportDialog.h"
#include "app/dialogs/ExportRun.h"
#include "app/help/HelpWindow.h"
#include "data/VantrelArchive.h"
#include "e2e/CliE2eSupport.h"
#include "ops/AppSettings.h"
#include "ops/TestArchives.h"

namespace vantrel::app::test {
namespace {

namespace fs = std::filesystem;
using vantrel::test::HourlyReadings;
using vantrel::test::MakeArchive;
using vantrel::test::TestProfile;

constexpr const char* kEnterName = "Please enter an export filename";
constexpr const char* kSelectProfile = "Please select at least one profile to export";

TestProfile Profile(const char* key, int readings) {
    TestProfile profile;
    profile.key = key;
    profile.readings = HourlyReadings(0, readings);
    return profile;
}

// A click on the row as the user makes it; `add`: with Ctrl, keeping the rows chosen so far.
void ClickRow(CListCtrlEx* list, int row, bool add) {
    const QRect rect = list->visualItemRect(list->topLevelItem(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton,
                      add ? Qt::ControlModifier : Qt::KeyboardModifiers(), rect.center());
}

// Chooses the rows whose first column reads `numbers` ("  1", " 10").
void ChooseProfiles(CExportDial& dialog, const QStringList& numbers) {
    CListCtrlEx* list = dialog.ProfileList();
    for (int row = 0; row < list->RowCount(); ++row) {
        if (numbers.contains(list->ItemText(row, 0))) ClickRow(list, row, true);
    }
}

void ClickOk(CExportDial& dialog) {
    auto* buttons = Find<QDialogButtonBox>(&dialog, "exportButtons");
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

class ExportDialogTest : public GuiTest {
protected:
    ExportDialogTest()
        : archive_(MakeArchive({Profile("10", 3), Profile("01", 5), Profile("02", 4)})) {
        MakeSheet();
    }

    // The dialog on screen (not modal), as the export sets it up.
    std::unique_ptr<CExportDial> ShowDialog(const QString& file = "North.csv") {
        auto dialog = std::make_unique<CExportDial>(sheet(), &sheet());
        dialog->m_nFormat = 0;
        dialog->m_strBackup = "North";
        dialog->m_strFile = file;
        dialog->m_pArchive = &archive_;
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    // Types `text` as the file name and clicks OK; returns what the edit shows then.
    QString Typed(CExportDial& dialog, const QString& text) {
        auto* edit = Find<QLineEdit>(&dialog, "exportFileEdit");
        edit->setText(text);
        prompt_.Clear();
        ClickOk(dialog);
        return edit->text();
    }

    CVantrelArchive archive_;
};

TEST_F(ExportDialogTest, ListsEveryProfileInNumberOrderWithNoneChosen) {
    auto dialog = ShowDialog("/data/North.csv");
    EXPECT_EQ(dialog->windowTitle(), "Export to CSV");
    EXPECT_EQ(Find<QLabel>(dialog.get(), "exportBackupName")->text(), "North");
    EXPECT_EQ(Find<QLineEdit>(dialog.get(), "exportFileEdit")->text(), "/data/North.csv");
    EXPECT_TRUE(Find<QRadioButton>(dialog.get(), "formatCalibrated")->isChecked());
    EXPECT_FALSE(Find<QRadioButton>(dialog.get(), "formatScaled")->isChecked());

    CListCtrlEx* list = dialog->ProfileList();
    EXPECT_EQ(list, Find<CListCtrlEx>(dialog.get(), "profileList"));
    QStringList titles;
    for (int column = 0; column < list->ColumnCount(); ++column)
        titles << list->headerItem()->text(column);
    EXPECT_EQ(titles, QString(strings::kProfileListColumns).split(','));
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);

    // Archive order 10, 1, 2; the rows sort by the right-aligned numbers.
    ASSERT_EQ(list->RowCount(), 3);
    const QStringList numbers{"  1", "  2", " 10"};
    const std::vector<int> indexes{1, 2, 0};
    const QStringList counts{"5", "4", "3"};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        const int index = indexes[static_cast<size_t>(row)];
        EXPECT_EQ(list->ItemText(row, 0), numbers[row]);
        EXPECT_TRUE(list->topLevelItem(row)->textAlignment(0) & Qt::AlignRight);
        EXPECT_EQ(list->ItemData(row), index);
        EXPECT_EQ(list->ItemText(row, 1), CListCtrlEx::ShortDateText(archive_.GetFirstDate(index)));
        EXPECT_EQ(list->ItemText(row, 2), CListCtrlEx::ShortDateText(archive_.GetLastDate(index)));
        EXPECT_FALSE(list->ItemText(row, 1).isEmpty());
        EXPECT_EQ(list->ItemText(row, 3), counts[row]);
    }
    EXPECT_TRUE(list->SelectedRows().isEmpty());
    EXPECT_TRUE(list->headerItem()->textAlignment(0) & Qt::AlignRight);
}

TEST_F(ExportDialogTest, F1OpensTheHelpTopicOfTheDialog) {
    auto dialog = ShowDialog();
    QTest::keyClick(Find<QLineEdit>(dialog.get(), "exportFileEdit"), Qt::Key_F1);
    CHelpWindow* help = sheet().HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->CurrentTopic(), CHelpWindow::TopicUrl(ids::kExportDialog));
    EXPECT_NE(help->CurrentTopic(), CHelpWindow::TopicUrl(ids::kRestoreExportPage));
}

TEST_F(ExportDialogTest, OkAddsCsvToANameWithoutExtensionBeforeCheckingTheChoice) {
    auto dialog = ShowDialog();
    const fs::path dotted = folder_.path() / "my.data";
    struct Case {
        QString typed;
        QString shown;
    };
    for (const Case& c : {Case{"North", "North.csv"}, Case{"North.txt", "North.txt"},
                          Case{"  North  ", "North.csv"},
                          // Blanks around a name are a slip, never part of the file name.
                          Case{"  /data/North.txt ", "/data/North.txt"},
                          // A "." in a folder's name is no extension of the file.
                          Case{QString::fromStdString((dotted / "North").string()),
                               QString::fromStdString((dotted / "North.csv").string())}}) {
        SCOPED_TRACE(c.typed.toStdString());
        EXPECT_EQ(Typed(*dialog, c.typed), c.shown);
        EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{kSelectProfile});
        EXPECT_TRUE(dialog->isVisible());
    }
    EXPECT_TRUE(dialog->m_aProfiles.empty());
}

TEST_F(ExportDialogTest, OkRefusesAMissingFileNameWhateverIsChosen) {
    auto dialog = ShowDialog();
    ClickRow(dialog->ProfileList(), 0, false);
    for (const QString& typed :
         {QString(""), QString("   "), QString("/data/"), QString("/data/  ")}) {
        SCOPED_TRACE(typed.toStdString());
        EXPECT_EQ(Typed(*dialog, typed), typed);
        EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{kEnterName});
        ASSERT_EQ(prompt_.shown().size(), 1u);
        EXPECT_EQ(prompt_.shown()[0].icon, PromptIcon::Exclamation);
        EXPECT_TRUE(dialog->isVisible());
    }
    EXPECT_TRUE(dialog->m_aProfiles.empty());
}

TEST_F(ExportDialogTest, OkHandsBackTheChosenRowsTopFirstWithFormatAndName) {
    auto dialog = ShowDialog();
    CListCtrlEx* list = dialog->ProfileList();
    ClickRow(list, 2, false);  // profile 10, archive index 0
    ClickRow(list, 0, true);   // profile 1, archive index 1
    // A radio button takes clicks on its mark and its text only, not on the empty rest.
    auto* scaled = Find<QRadioButton>(dialog.get(), "formatScaled");
    QTest::mouseClick(scaled, Qt::LeftButton, {}, QPoint(8, scaled->height() / 2));
    EXPECT_EQ(Typed(*dialog, "/data/South"), "/data/South.csv");

    EXPECT_TRUE(prompt_.shown().empty());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->m_aProfiles, (std::vector<int>{1, 0}));
    EXPECT_EQ(dialog->m_nFormat, 1);
    EXPECT_EQ(dialog->m_strFile, "/data/South.csv");
}

TEST(ExportDialogName, ABrowsedProfileFileStandsForTheExportFile) {
    struct Case {
        const char* chosen;
        const char* kept;
    };
    for (const Case& c :
         {Case{"/data/North (Pro12).csv", "/data/North.csv"},
          Case{"North (Pro03).txt", "North.txt"}, Case{"/data/North (Pro12)", "/data/North"},
          Case{"/data/North (ProAB).csv", "/data/North (ProAB).csv"},
          Case{"/data/North (Pro1).csv", "/data/North (Pro1).csv"},
          Case{"/data/North (Pro12.csv", "/data/North (Pro12.csv"},
          Case{" (Pro12).csv", " (Pro12).csv"},
          // Only the file's own name counts, not a folder's.
          Case{"/x (Pro01)/North (Pro02).csv", "/x (Pro01)/North.csv"},
          Case{"/x (Pro01)/North.csv", "/x (Pro01)/North.csv"}}) {
        EXPECT_EQ(CExportDial::StripProfileSuffix(c.chosen), c.kept) << c.chosen;
    }
}

TEST_F(ExportDialogTest, BrowseOpensInTheFolderOfTheNameAndTakesTheExportFileName) {
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    const fs::path folder = folder_.path() / "exports";
    fs::create_directories(folder);
    const QString folderText = QString::fromStdString(folder.string());
    auto dialog = ShowDialog(folderText + "/Old.csv");
    const QString cwd = QDir::currentPath();

    QString openedIn;
    WhenShown<QFileDialog>([&](QFileDialog& browser) {
        openedIn = browser.directory().absolutePath();
        browser.selectFile(folderText + "/North (Pro12).csv");
        static_cast<QDialog&>(browser).accept();  // public in QDialog
    });
    QTest::mouseClick(Find<QPushButton>(dialog.get(), "exportBrowseButton"), Qt::LeftButton);

    EXPECT_EQ(openedIn, folderText);
    EXPECT_EQ(Find<QLineEdit>(dialog.get(), "exportFileEdit")->text(), folderText + "/North.csv");
    EXPECT_EQ(QDir::currentPath(), cwd);
}

// --- the export run ---------------------------------------------------------------------

class ExportRunTest : public GuiTest {
protected:
    ExportRunTest() : workspace_({"--profiles", "3", "--readings", "20", "--sensors", "4"}) {
        MakeSheet();
        archive_ = CVantrelArchive::LoadFromFile(workspace_.PackedBackup());
    }

    // Runs the export from the dialog as a user would: types `file`, chooses the rows of
    // `numbers`, clicks OK.
    void ExportThroughDialog(const QString& file, const QStringList& numbers,
                             QString* proposed = nullptr) {
        WhenShown<CExportDial>([&](CExportDial& dialog) {
            auto* edit = Find<QLineEdit>(&dialog, "exportFileEdit");
            if (proposed != nullptr) *proposed = edit->text();
            edit->setText(file);
            ChooseProfiles(dialog, numbers);
            ClickOk(dialog);
        });
        RunExport(sheet(), &sheet(), archive_, "Site North");
    }

    std::string StoredExportPath() {
        return settings_.GetString(settings::kSettings, settings::kExportPath, "<none>");
    }

    e2e::CliWorkspace workspace_;
    CVantrelArchive archive_;
};

TEST_F(ExportRunTest, WritesTheBytesOfTheToolAndASecondRunAppendsNothing) {
    const fs::path guiFolder = workspace_.root() / "gui";
    const fs::path cliFolder = workspace_.root() / "cli";
    fs::create_directories(guiFolder);
    fs::create_directories(cliFolder);

    QString proposed;
    ExportThroughDialog(QString::fromStdString((guiFolder / "North").string()), {"  1", "  3"},
                        &proposed);
    EXPECT_EQ(proposed.toStdString(), (*folders_.desktop / "Site North.csv").string());
    EXPECT_EQ(StoredExportPath(), guiFolder.string());
    ASSERT_EQ(prompt_.shown().size(), 1u);
    EXPECT_EQ(prompt_.shown()[0].caption, "Newly Created Profile Files");
    EXPECT_EQ(prompt_.shown()[0].icon, PromptIcon::Information);
    EXPECT_EQ(prompt_.shown()[0].text,
              "The following profiles were successfully exported to newly created files:\n"
              "1. Profile 01\n2. Profile 03\n\nExport folder: " +
                  guiFolder.string());

    const auto cli =
        vantrel::test::RunProcess(VANTREL_CLI,
                                  {"export", workspace_.PackedBackup().string(), "--out",
                                   (cliFolder / "North.csv").string(), "--profiles", "1,3"},
                                  workspace_.ToolOptions());
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    for (const char* name : {"North (Pro01).csv", "North (Pro03).csv"}) {
        SCOPED_TRACE(name);
        const std::string bytes = e2e::ReadBytes(guiFolder / name);
        EXPECT_FALSE(bytes.empty());
        EXPECT_EQ(bytes, e2e::ReadBytes(cliFolder / name));
    }
    EXPECT_FALSE(fs::exists(guiFolder / "North (Pro02).csv"));

    // The dialog now proposes the folder of the last export.
    const std::string first = e2e::ReadBytes(guiFolder / "North (Pro01).csv");
    prompt_.Clear();
    ExportThroughDialog(QString::fromStdString((guiFolder / "North.csv").string()), {"  1", "  3"},
                        &proposed);
    EXPECT_EQ(proposed.toStdString(), (guiFolder / "Site North.csv").string());
    ASSERT_EQ(prompt_.shown().size(), 1u);
    EXPECT_EQ(prompt_.shown()[0].caption, "No relevant changes");
    EXPECT_EQ(prompt_.shown()[0].text,
              "The following profiles had no relevant changes detected in them from existing "
              "profile files:\n1. Profile 01\n2. Profile 03\n\nExport folder: " +
                  guiFolder.string());
    EXPECT_EQ(e2e::ReadBytes(guiFolder / "North (Pro01).csv"), first);
}

TEST_F(ExportRunTest, ANameWithoutAFolderGoesToTheLastExportFolderElseTheDocuments) {
    const fs::path last = workspace_.root() / "last";
    fs::create_directories(last);
    const fs::path cwd = fs::current_path();
    struct Case {
        std::optional<std::string> stored;  // "Export Path" before the export
        fs::path expected;
    };
    // Never set, then empty (what an earlier export of a bare name left behind), then set.
    for (const Case& c : {Case{std::nullopt, *folders_.documents},
                          Case{std::string(), *folders_.documents}, Case{last.string(), last}}) {
        SCOPED_TRACE(c.expected.string());
        if (c.stored) settings_.WriteString(settings::kSettings, settings::kExportPath, *c.stored);
        prompt_.Clear();
        ExportThroughDialog("Bare", {"  2"});
        EXPECT_TRUE(fs::exists(c.expected / "Bare (Pro02).csv"));
        fs::remove(c.expected / "Bare (Pro02).csv");
        EXPECT_FALSE(fs::exists(cwd / "Bare (Pro02).csv"));
        EXPECT_EQ(StoredExportPath(), c.expected.string());
        ASSERT_EQ(prompt_.shown().size(), 1u);
        const std::string& text = prompt_.shown()[0].text;
        EXPECT_EQ(text.substr(text.rfind('\n') + 1), "Export folder: " + c.expected.string());
    }
}

TEST_F(ExportRunTest, CancelWritesNothingAndKeepsTheExportPath) {
    WhenShown<CExportDial>([](CExportDial& dialog) {
        ChooseProfiles(dialog, {"  1"});
        auto* buttons = Find<QDialogButtonBox>(&dialog, "exportButtons");
        QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    RunExport(sheet(), &sheet(), archive_, "Site North");

    EXPECT_EQ(StoredExportPath(), "<none>");
    EXPECT_TRUE(fs::is_empty(*folders_.desktop));
    EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(ExportRunTest, AFolderThatIsNotThereIsNamedBeforeAnythingIsExported) {
    const fs::path missing = workspace_.root() / "missing";
    ExportThroughDialog(QString::fromStdString((missing / "North.csv").string()), {"  1", "  2"});

    EXPECT_EQ(prompt_.Texts(),
              std::vector<std::string>{"The export folder does not exist: " + missing.string()});
    EXPECT_EQ(StoredExportPath(), "<none>");
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(ExportRunTest, AFileThatCannotBeCreatedEndsTheExportWithoutSummaries) {
    const fs::path folder = workspace_.root() / "taken";
    fs::create_directories(folder / "North (Pro02).csv" / "a folder in the way");
    ExportThroughDialog(QString::fromStdString((folder / "North.csv").string()), {"  1", "  2"});

    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{"Error opening file for reading"});
    EXPECT_EQ(StoredExportPath(), folder.string());
    EXPECT_TRUE(fs::exists(folder / "North (Pro01).csv"));  // written before, and kept
}

}  // namespace
}  // namespace vantrel::app::test
