// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CExportDial: "Export to CSV", the one question of an export: which profiles of the loaded
// backup, which output format and which file name. One row per profile with its reading
// period and reading count; "Browse" picks the file; OK checks the name and the choice and
// hands them back. The dialog writes no file and no setting.
//
// Use: construct, set m_nFormat, m_strBackup, m_strFile and m_pArchive, exec(); after OK
// read m_aProfiles, m_nFormat and m_strFile. GUI thread only.

#include <QDialog>
#include <QScopedPointer>
#include <QString>
#include <vector>

namespace Ui {
class ExportDialog;
}

namespace vantrel {
class CVantrelArchive;
}

namespace vantrel::app {

class CListCtrlEx;
class IPageHost;

class CExportDial : public QDialog {
    Q_OBJECT
public:
    // `sheet` shows the messages and the help; `parent` owns the dialog on screen.
    explicit CExportDial(IPageHost& sheet, QWidget* parent = nullptr);
    ~CExportDial() override;

    // Result: the archive indexes of the chosen profiles, top row first; filled on OK.
    std::vector<int> m_aProfiles;
    // The backup whose profiles are listed; set before the dialog is shown; not owned.
    const CVantrelArchive* m_pArchive = nullptr;
    // 0: "Calibrated Moisture Readings", 1: "Scaled Frequency Readings", -1: none chosen.
    int m_nFormat = -1;
    // The export file name, shown in the edit and taken back from it on OK.
    QString m_strFile;
    // The backup's name: shown at the top and proposed as the file name when browsing.
    QString m_strBackup;

    CListCtrlEx* ProfileList() const;

    // "/data/North (Pro12).csv" -> "/data/North.csv": a chosen profile file stands for the
    // export file its name was derived from. Any other path comes back unchanged.
    static QString StripProfileSuffix(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Fills the controls from the fields and the list from the archive (first showing).
    void OnInitDialog();
    void FillProfileList();
    void OnBrowse();
    void OnOK();

    QScopedPointer<Ui::ExportDialog> m_ui;
    IPageHost& m_sheet;
    bool m_bInitialised = false;
};

}  // namespace vantrel::app
