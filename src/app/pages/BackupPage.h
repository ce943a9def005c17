// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CBackupPage: the "Backup" page. The user types or accepts a name for the backup file and
// presses Backup; the page makes the name a new file in the backup folder (".vbk" added,
// "(1)", "(2)", ... when taken), runs the sheet's backup and shows its progress. While the
// backup runs, inside OnBackup(), the button reads "Cancel" and a second press asks the
// backup to stop at the logger's next answer.

#include <QString>

#include "app/pages/OperationPage.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrel::app {

class CConnectionStatus;

class CBackupPage : public COperationPage {
    Q_OBJECT
public:
    explicit CBackupPage(QWidget* parent = nullptr);
    ~CBackupPage() override;

    // The first activation fills in today's default name; every activation shows the
    // backup folder.
    void OnSetActive() override;

    // Backup button: starts a backup under the typed name, or, while one runs, asks it to
    // stop. Returns when the backup has ended.
    void OnBackup();

protected:
    void OnCommsStatus(std::uint32_t progress, const std::optional<std::string>& text) override;
    void OnCommsErrors(std::uint32_t count) override;
    void OnCommsRate(std::uint32_t rate) override;

private:
    void BuildControls();
    // The backup folder of the settings, shown in the path label.
    std::string ShowFolder();
    // Refuses an empty name (blanks only), a name with a folder in it, and a backup folder
    // that is not there, with a message; true when the backup may start.
    bool CheckBeforeBackup(const QString& typed, const std::string& folder);
    void SetButtonCaption(const QString& caption);

    CConnectionStatus* m_status = nullptr;
    QPushButton* m_btnBackup = nullptr;
    QLineEdit* m_editName = nullptr;
    QLabel* m_stPath = nullptr;
    bool m_bNamed = false;  // the default name has been filled in
};

}  // namespace vantrel::app
