// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The steps of vantrel-screenshots on a running main sheet: pictures of the pages, a backup
// run through the Backup page (with a picture taken while it runs), the export dialog over
// the Restore / Export page, the ID Tags page after listing the logger's files. Widgets are
// found by their object names; a part of the program that lacks them is skipped with a
// note on standard output. GUI thread only.

#include <QDir>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace vantrel::app {
class CMainSheet;
}

namespace vantrel::shots {

// "vantrel-screenshots: <text>" on standard output.
void Note(const QString& text);

// The picture name of a page caption: "Restore / Export" -> "restore-export".
QString PictureName(const QString& caption);

// Saves pictures as PNG files into one folder and remembers which were written.
class Camera {
public:
    explicit Camera(QDir folder) : folder_(std::move(folder)) {}

    // `name`.png of `widget` as it is now (pending layouts and paints done first).
    void Save(QWidget* widget, const QString& name);
    // False once a picture could not be written.
    bool ok() const { return ok_; }
    // The names saved, in order.
    const QStringList& Saved() const { return saved_; }

private:
    QDir folder_;
    bool ok_ = true;
    QStringList saved_;
};

// What the tool uses of the Backup page; name and button are never null.
struct BackupControls {
    QLineEdit* name;
    QPushButton* button;
    QProgressBar* progress;  // may be null
    QLabel* status;          // may be null
    QLabel* rate;            // may be null
};

// Nothing (after a note) when the Backup page has no name field or button.
std::optional<BackupControls> FindBackupControls(app::CMainSheet& sheet);

// One backup through the Backup page: `name` typed, Backup clicked; the click returns when
// the backup has ended. `whileRunning` (may be empty) is called once from a timer while
// the backup runs: half way, once the transfer rate is shown, or eight seconds in. True
// when the page reports the backup completed.
bool RunBackup(app::CMainSheet& sheet, const BackupControls& controls, const QString& name,
               const std::function<void()>& whileRunning);

// Pictures of the sheet with each page active: `prefix` + PictureName(caption).
void ShootPages(app::CMainSheet& sheet, Camera& camera, const QString& prefix);

// "export-dialog": the export dialog over the Restore / Export page for backup `title` (or
// the first backup listed), two profiles selected; then the dialog is cancelled, so
// nothing is exported. True when the picture was taken.
bool ShootExportDialog(app::CMainSheet& sheet, Camera& camera, const QString& title);

// "during-restore": the Restore / Export page while backup `title` is restored to the
// logger (its warning answered by whoever answers the message boxes). True when the
// picture was taken.
bool ShootDuringRestore(app::CMainSheet& sheet, Camera& camera, const QString& title);

// "id-tags-listed": the ID Tags page after Refresh View has listed the logger's files.
// True when the page has the button and the picture was taken.
bool ShootIdTagsListing(app::CMainSheet& sheet, Camera& camera);

// "readings": the readings window of the first backup listed on the Restore / Export page,
// as "View Readings..." opens it; then it is closed. True when the picture was taken.
bool ShootReadings(app::CMainSheet& sheet, Camera& camera);
// The readings window over every backup of `folder` together, as View Readings opens it on a
// selection of several (readings-history.png), on the series `entry` of its picker.
bool ShootReadingsHistory(app::CMainSheet& sheet, Camera& camera, const QString& folder, int entry);

// "find-logger": the Find Logger dialog after its search of the port in the settings has
// ended (or after a bound); then it is closed. True when the picture was taken.
bool ShootFindLogger(app::CMainSheet& sheet, Camera& camera);

}  // namespace vantrel::shots
