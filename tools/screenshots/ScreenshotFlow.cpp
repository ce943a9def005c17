// SPDX-License-Identifier: GPL-3.0-or-later
#include "screenshots/ScreenshotFlow.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>

#include "app/common/ListCtrlEx.h"
#include "app/dialogs/FindLoggerDialog.h"
#include "app/frame/MainSheet.h"
#include "app/pages/BackupPage.h"
#include "app/pages/FilePage.h"
#include "app/pages/HelpPage.h"
#include "app/pages/RestoreExportPage.h"
#include "app/readings/ReadingsWindow.h"
#include "base/PathText.h"
#include "ops/AppSettings.h"
#include "ops/BackupLoading.h"
#include "screenshots/ScreenDriver.h"

namespace vantrel::shots {

using namespace std::chrono_literals;
using app::CListCtrlEx;
using app::CMainSheet;

namespace {

// The longest a listing of the logger's files is waited for.
constexpr auto kOperationLimit = 10min;

template <typename W>
W* Child(QWidget* root, const char* name) {
    return root != nullptr ? root->findChild<W*>(QString::fromLatin1(name)) : nullptr;
}

}  // namespace

void Note(const QString& text) {
    std::printf("vantrel-screenshots: %s\n", qPrintable(text));
    std::fflush(stdout);
}

QString PictureName(const QString& caption) {
    QString name = caption.toLower();
    name.replace(" / ", "-").replace(' ', '-');
    return name;
}

void Camera::Save(QWidget* widget, const QString& name) {
    // Pending layouts and paints first, so the picture shows the texts just set.
    QApplication::processEvents();
    const QString path = folder_.filePath(name + ".png");
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "vantrel-screenshots: cannot write %s\n", qPrintable(path));
        ok_ = false;
        return;
    }
    saved_.append(name);
    std::printf("%s\n", qPrintable(path));
    std::fflush(stdout);
}

std::optional<BackupControls> FindBackupControls(CMainSheet& sheet) {
    QWidget* page = sheet.BackupPage();
    BackupControls controls{Child<QLineEdit>(page, "backupName"),
                            Child<QPushButton>(page, "backupButton"),
                            Child<QProgressBar>(page, "progressBar"),
                            Child<QLabel>(page, "statusLine"), Child<QLabel>(page, "transferRate")};
    if (controls.name == nullptr || controls.button == nullptr) {
        Note("the Backup page has no backupName field or backupButton yet; no backup run");
        return std::nullopt;
    }
    return controls;
}

bool RunBackup(CMainSheet& sheet, const BackupControls& controls, const QString& name,
               const std::function<void()>& whileRunning) {
    sheet.SetActivePage(sheet.BackupPage());
    controls.name->setText(name);
    QElapsedTimer running;
    std::optional<ActWhen> during;
    if (whileRunning) {
        during.emplace(
            [&] {
                if (!sheet.IsOperationRunning()) return false;
                if (!running.isValid()) running.start();
                // The first rate figure comes a few seconds in; a picture without it
                // looks like a stalled transfer.
                const int percent = controls.progress != nullptr ? controls.progress->value() : 0;
                const bool rateShown = controls.rate == nullptr ||
                                       controls.rate->text().contains(QRegularExpression("[0-9]"));
                return (rateShown && percent >= 30 && percent < 95) || running.elapsed() >= 8000;
            },
            whileRunning);
    }
    controls.button->click();
    // The last status was posted as the backup ended and is still waiting in the queue.
    sheet.Queue().DrainPending();
    if (during && !during->Done()) Note("the backup ended before a picture of it could be taken");
    const QString status = controls.status != nullptr ? controls.status->text() : QString();
    Note("backup status: " + status);
    return status.startsWith("Backup completed");
}

void ShootPages(CMainSheet& sheet, Camera& camera, const QString& prefix) {
    for (app::CHelpPropPage* page : sheet.Pages()) {
        if (!sheet.SetActivePage(page)) {
            Note("could not show the page " + page->Caption());
            continue;
        }
        camera.Save(&sheet, prefix + PictureName(page->Caption()));
    }
    sheet.SetActivePage(sheet.Pages().front());
}

bool ShootExportDialog(CMainSheet& sheet, Camera& camera, const QString& title) {
    app::CRestoreExportPage* page = sheet.RestoreExportPage();
    auto* list = Child<CListCtrlEx>(page, "backupList");
    auto* exportButton = Child<QPushButton>(page, "exportButton");
    if (list == nullptr || exportButton == nullptr) {
        Note("the Restore / Export page has no backupList or exportButton yet; no export dialog");
        return false;
    }
    sheet.SetActivePage(page);
    if (list->RowCount() == 0) {
        Note("no backup is listed on the Restore / Export page; no export dialog");
        return false;
    }
    int row = 0;
    for (int i = 0; i < list->RowCount(); ++i) {
        if (list->ItemText(i, 0) == title) row = i;
    }
    list->clearSelection();
    list->SelectRow(row);
    list->setCurrentItem(list->topLevelItem(row));

    // The dialog waits in its own exec(), inside the click: a timer takes the picture.
    ActWhen shoot(
        [] {
            auto* dialog = FindWidget<QDialog>("exportDialog");
            return dialog != nullptr && dialog->isVisible();
        },
        [&] {
            auto* dialog = FindWidget<QDialog>("exportDialog");
            if (auto* profiles = Child<CListCtrlEx>(dialog, "profileList")) {
                for (int i = 0; i < std::min(2, profiles->RowCount()); ++i) profiles->SelectRow(i);
            }
            camera.Save(dialog, "export-dialog");
            auto* buttons = Child<QDialogButtonBox>(dialog, "exportButtons");
            QPushButton* cancel =
                buttons != nullptr ? buttons->button(QDialogButtonBox::Cancel) : nullptr;
            if (cancel != nullptr) {
                cancel->click();
            } else {
                dialog->reject();
            }
        });
    exportButton->click();
    // A dialog opened after the click returns is waited for a moment.
    if (!shoot.Done()) WaitUntil([&] { return shoot.Done(); }, 2s);
    if (!shoot.Done()) Note("Export opened no export dialog; no picture of it");
    return shoot.Done();
}

bool ShootDuringRestore(CMainSheet& sheet, Camera& camera, const QString& title) {
    app::CRestoreExportPage* page = sheet.RestoreExportPage();
    auto* list = Child<CListCtrlEx>(page, "backupList");
    auto* restore = Child<QPushButton>(page, "restoreButton");
    auto* progress = Child<QProgressBar>(page, "progressBar");
    if (list == nullptr || restore == nullptr || !sheet.SetActivePage(page)) {
        Note("the Restore / Export page has no backupList or restoreButton; no restore");
        return false;
    }
    for (int i = 0; i < list->RowCount(); ++i) {
        if (list->ItemText(i, 0) != title) continue;
        list->clearSelection();
        list->SelectRow(i);
        list->setCurrentItem(list->topLevelItem(i));
    }
    if (list->SelectedRow() < 0) {
        Note("no backup \"" + title + "\" to restore; no picture during a restore");
        return false;
    }
    ActWhen shoot(
        [&] {
            return sheet.IsOperationRunning() && progress != nullptr && progress->value() >= 30;
        },
        [&] { camera.Save(&sheet, "during-restore"); });
    restore->click();
    sheet.Queue().DrainPending();
    if (!shoot.Done()) Note("the restore ended before a picture of it could be taken");
    return shoot.Done();
}

bool ShootIdTagsListing(CMainSheet& sheet, Camera& camera) {
    auto* page = sheet.FilePage();
    auto* refresh = Child<QPushButton>(page, "idRefreshButton");
    if (page == nullptr || refresh == nullptr) {
        Note("the ID Tags page has no idRefreshButton yet; no listing of the logger's ID files");
        return false;
    }
    sheet.SetActivePage(page);
    refresh->click();
    // The listing runs inside the click; one that runs later is waited for.
    WaitUntil([&] { return !sheet.IsOperationRunning(); }, kOperationLimit);
    sheet.Queue().DrainPending();
    camera.Save(&sheet, "id-tags-listed");
    return true;
}

bool ShootReadings(CMainSheet& sheet, Camera& camera) {
    app::CRestoreExportPage* page = sheet.RestoreExportPage();
    auto* list = Child<CListCtrlEx>(page, "backupList");
    auto* view = page != nullptr ? page->findChild<QAction*>("backupViewReadingsCommand") : nullptr;
    if (list == nullptr || view == nullptr) {
        Note("the Restore / Export page has no backupList or View Readings command; no readings");
        return false;
    }
    sheet.SetActivePage(page);
    if (list->RowCount() == 0) {
        Note("no backup is listed on the Restore / Export page; no readings window");
        return false;
    }
    list->clearSelection();
    list->SelectRow(0);
    list->setCurrentItem(list->topLevelItem(0));
    view->trigger();
    auto* readings = FindWidget<QWidget>("readingsWindow");
    if (readings == nullptr || !WaitUntil([&] { return readings->isVisible(); }, 5s)) {
        Note("View Readings opened no readings window");
        return false;
    }
    Pause(200ms);  // the chart lays itself out
    camera.Save(readings, "readings");
    readings->close();
    return true;
}

bool ShootReadingsHistory(CMainSheet& sheet, Camera& camera, const QString& folder, int entry) {
    std::vector<std::filesystem::path> files;
    for (const QFileInfo& file : QDir(folder).entryInfoList({"*.vbk"}, QDir::Files, QDir::Name)) {
        files.push_back(PathFromUtf8(file.filePath().toStdString()));
    }
    LoadedHistory loaded = LoadSiteHistory(files);
    if (files.size() < 2 || !loaded.history) {
        Note("no two readable backups in " + folder + "; no readings over several backups");
        return false;
    }
    app::CReadingsWindow* window = app::CReadingsWindow::ShowForBackups(
        sheet, sheet.RestoreExportPage(), std::move(*loaded.history));
    if (!WaitUntil([&] { return window->isVisible(); }, 5s)) {
        Note("the readings window over several backups did not open");
        return false;
    }
    window->SelectProfile(entry);
    Pause(200ms);  // the chart lays itself out
    camera.Save(window, "readings-history");
    window->close();
    return true;
}

bool ShootFindLogger(CMainSheet& sheet, Camera& camera) {
    const LinkSettings link = ReadLinkSettings(sheet.Settings());
    app::CFindLoggerDialog finder(sheet, {{link.port, ""}}, &sheet);
    finder.show();
    WaitUntil([&] { return !finder.IsSearching(); }, 60s);
    camera.Save(&finder, "find-logger");
    finder.close();
    return true;
}

}  // namespace vantrel::shots
