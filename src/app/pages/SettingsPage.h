// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CSettingsPage: the serial port, the baud rate and the backup folder. Edits stay in the
// page's controls until Apply (or the answer Yes when the page is left or the program
// closes) writes them to the settings store.

#include <QScopedPointer>
#include <QString>

#include "app/pages/HelpPage.h"

namespace Ui {
class SettingsPage;
}

namespace vantrel::app {

class CSettingsPage : public CHelpPropPage {
    Q_OBJECT
public:
    explicit CSettingsPage(QWidget* parent = nullptr);
    ~CSettingsPage() override;

    // The first activation fills the controls (and writes "Port"); every activation lists
    // the serial ports afresh, as does every opening of the port list.
    void OnSetActive() override;
    // Asks about unapplied edits; Yes applies them, No restores the stored values. The
    // page is always left.
    bool OnKillActive() override;

    bool IsModified() const { return m_bModified; }
    // The choices as shown: the backup folder, the port text and the baud-rate position
    // (-1 when none is selected).
    QString Path() const { return m_strPath; }
    QString PortText() const;
    int BaudIndex() const;

    // Writes "Default Path", "Port" and "Baud Rate" as shown (the closing question's Yes).
    void WriteChoices();
    // Apply: checks the choices, writes and saves them, and marks the page clean; false
    // (after a message) when the port or the baud rate is missing, or when the settings
    // could not be saved (the page then stays modified). A changed port that does not
    // exist at the moment is saved with a reminder to connect the adapter.
    bool OnApplySettings();
    // "Find Logger": searches the listed ports (and the one shown, when the list lacks it)
    // for the logger; when it answered and the user agrees, its port and rate are stored
    // and shown.
    void OnFindLogger();

private:
    void OnInitDialog();
    void OnSettingChanged();
    void OnPathChanged(const QString& text);
    void OnBrowse();
    void SetModified(bool modified);
    // Selects the first listed port that begins with `port` (letter case ignored); a port
    // the list does not hold is kept as typed text.
    void ShowPort(const QString& port);
    // Reads the serial ports into the list again, keeping the port shown (as typed text
    // when it is no longer listed). The page stays as modified as it was.
    void FillPortList();
    void ShowStoredSettings();
    void ShowPortDescription();

    QScopedPointer<Ui::SettingsPage> m_ui;
    QString m_strPath;
    bool m_bModified = false;
    bool m_bInitialising = false;
    bool m_bInitialised = false;
};

}  // namespace vantrel::app
