// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CRestoreExportPage: the "Restore / Export" page. It lists the backups of the backup
// folder (title, reading period, profile count, day taken), and from that list renames
// and deletes a backup, restores one to the logger and exports one to CSV files.
//
// Every row keeps the path of the file it was read from, so it always reaches that file,
// whatever the letter case of its extension. The list is read again on the first
// activation, on "Refresh View", after a rename or a delete, and on the first activation
// after SetRefresh(). A restore runs inside OnRestore() (the sheet keeps the window
// alive); meanwhile the button reads "Cancel", the page cannot be left, and the list's
// commands (Refresh View, Export, Rename, Delete, double click) do nothing.
//
// Rows are selected as in any list (Ctrl and Shift add to the selection). Restore, Export,
// Rename and Delete act on one backup: they are off while several rows are selected, and
// say so when reached all the same; View Readings over several opens one window on the
// history of their site.

#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/pages/OperationPage.h"
#include "data/VantrelArchive.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidgetItem;

namespace vantrel::app {

class CConnectionStatus;
class CListCtrlEx;

class CRestoreExportPage : public COperationPage {
    Q_OBJECT
public:
    explicit CRestoreExportPage(QWidget* parent = nullptr);
    ~CRestoreExportPage() override;

    // The backup list is read again the next time the page is shown.
    void SetRefresh() { m_bRefresh = true; }
    bool NeedsRefresh() const { return m_bRefresh; }

    // Shows the backup folder and, when asked for, reads the list again.
    void OnSetActive() override;

    // Reads the backup folder into the list again. A backup that cannot be opened gets a
    // message ("Could not open %s backup file for loading"); it and one with bad data are
    // listed by their titles alone, and acting on one of them gives that message.
    void RefreshList();
    // Restore button: starts a restore of the selected backup, or, while one runs, asks it
    // to stop.
    void OnRestore();
    // Export button, double click, menu "Export", Enter: exports the selected backup.
    void OnExport();
    // Menu "Rename", F2: edits the selected row's title in place.
    void OnRenameBackup();
    // Menu "Delete", Delete key: deletes the selected backup after asking.
    void OnDeleteBackup();
    // Menu "View Readings...": the readings window on the selected backup, or over the
    // selected backups together.
    void OnViewReadings();

    // The folder whose backups the list shows, as shown in "Current Backup Path".
    const std::string& Folder() const { return m_strFolder; }
    // The file row `row` was read from; empty when there is no such row.
    std::filesystem::path RowFile(int row) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void OnCommsStatus(std::uint32_t progress, const std::optional<std::string>& text) override;
    void OnCommsErrors(std::uint32_t count) override;
    void OnCommsRate(std::uint32_t rate) override;

private:
    void BuildControls();
    void BuildMenu();
    // Refresh View, Export, Rename and Delete: off while a restore runs, so that the list
    // does not change under it.
    void EnableListCommands(bool enable);
    // Restore, Export, Rename and Delete: off while several rows are selected (and no
    // restore runs, whose Cancel stays on).
    void EnableSingleBackupCommands();
    // The one selected row; -1 after saying that several are selected and only one can be
    // `verb`ed ("restore"), or after `noneText` when none is (nothing for an empty text).
    int SingleSelectedRow(const char* verb, std::string_view noneText = {});
    void ShowFolder();
    void FitColumns();
    // The row's backup loaded for a restore or an export; nothing after telling the user
    // why. A file that has gone since the list was read also refreshes the list.
    std::optional<CVantrelArchive> LoadBackup(int row);
    void OnListRightClick(const QPoint& position);
    // End of the in-place edit of the row read from `file`: renames the file to the typed
    // title (a trailing ".vbk" dropped) and reads the list again.
    void OnEndLabelEdit(const std::filesystem::path& file, const QString& typed);
    void EndRenaming();
    // Selects the row read from `file`, when the list has one.
    void SelectFileRow(const std::filesystem::path& file);

    bool m_bRefresh = true;
    std::string m_strFolder;
    CConnectionStatus* m_status = nullptr;
    QPushButton* m_btnRestore = nullptr;
    QPushButton* m_btnExport = nullptr;
    QPushButton* m_btnRefresh = nullptr;
    CListCtrlEx* m_listBackups = nullptr;
    QLabel* m_stPath = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_exportAction = nullptr;
    QAction* m_renameAction = nullptr;
    QAction* m_deleteAction = nullptr;
    QAction* m_viewReadingsAction = nullptr;
    QTreeWidgetItem* m_renaming = nullptr;  // the row being edited in place
};

}  // namespace vantrel::app
