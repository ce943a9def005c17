// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CMainSheet: the program's one window. A tab widget holds the pages (Backup, Restore /
// Export, Settings, and ID Tags when the companion program is installed); a strip below
// holds "&Close" and "&Help". The sheet owns the communications engine, which the pages'
// operations run on the GUI thread, and enforces the rules that keep a running
// operation safe: one operation at a time, no closing and no leaving a busy page. The
// sheet creates its pages; they reach it through IPageHost alone (common/PageHost.h).

#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/common/PageHost.h"
#include "app/seams/QtDiagnosticLog.h"
#include "app/seams/QtNotificationQueue.h"
#include "app/seams/QtPrompt.h"
#include "frontend/LoggerSession.h"
#include "frontend/RestoreRecord.h"
#include "ops/AppSettings.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "platform/SpecialFolders.h"

class QAction;
class QMenu;
class QPushButton;
class QTabWidget;

namespace vantrel {
class CVantrelArchive;
}

namespace vantrel::app {

class CBackupPage;
class CFilePage;
class CHelpPropPage;
class CHelpWindow;
class CRestoreExportPage;
class CSettingsPage;

class CMainSheet : public QWidget, public IPageHost {
    Q_OBJECT
public:
    struct Environment {
        ISettings& settings;
        const ISpecialFolders& folders;
        // The companion program's settings exist: the sheet has the ID Tags page.
        bool withIdTags = false;
        SerialPortFactory portFactory = DefaultSerialPortFactory();
        // Answers the message boxes instead of the user (tests); null: real boxes.
        IPrompt* prompt = nullptr;
        // The serial ports the Settings page lists.
        std::function<std::vector<SerialPortListing>()> listPorts = AvailablePorts;
    };

    explicit CMainSheet(Environment environment, QWidget* parent = nullptr);
    ~CMainSheet() override;

    // --- pages -----------------------------------------------------------------------
    CBackupPage* BackupPage() const { return backupPage_; }
    CRestoreExportPage* RestoreExportPage() const { return restoreExportPage_; }
    CSettingsPage* SettingsPage() const { return settingsPage_; }
    // Null when the sheet has no ID Tags page.
    CFilePage* FilePage() const { return filePage_; }
    const std::vector<CHelpPropPage*>& Pages() const { return pages_; }
    CHelpPropPage* ActivePage() const;
    // Makes `page` active when the page being left allows it; true when it is active.
    bool SetActivePage(CHelpPropPage* page);

    // --- seams and engine (IPageHost's seams among them) --------------------------------
    QtNotificationQueue& Queue() { return queue_; }
    IPrompt& Prompt() override { return prompt_; }
    // The real message boxes (the tests' prompt stands in for them when given).
    QtPrompt& MessageBoxes() { return messageBoxes_; }
    ISettings& Settings() override { return settings_; }
    bool SaveSettings() override;
    const ISpecialFolders& Folders() const override { return folders_; }
    std::vector<SerialPortListing> ListPorts() const override { return listPorts_(); }
    LoggerSession& Session() { return session_; }
    // "CommsTimeOut" and "CommsAttempts" as read at start-up; the transport keeps its own
    // fixed 2 seconds and 3 attempts.
    void SetCommsValues(const CommsValues& values) { comms_ = values; }
    const CommsValues& Comms() const { return comms_; }

    // --- operations for the pages (GUI thread; each refused while another runs) ---------
    // Opens the port of the "Port" and "Baud Rate" settings; a bad baud index fails and
    // keeps the port that is open.
    bool OpenLink();
    int BackupLogger(INotificationTarget* page, const std::filesystem::path& path) override;
    // `backup`: the file `archive` was loaded from, which the restore's record names.
    int RestoreLogger(INotificationTarget* page, const CVantrelArchive& archive,
                      const std::filesystem::path& backup) override;
    bool ListFiles(INotificationTarget* page, std::vector<std::string>& names,
                   std::vector<std::uint32_t>& sizes) override;
    bool DeleteFiles(INotificationTarget* page, const std::vector<std::string>& names) override;
    void SetCancel(bool cancel) override;
    bool IsCancelled() const;
    bool IsOperationRunning() const override { return operationRunning_; }
    const std::filesystem::path& LastBackupPath() override;
    std::string ExplainPortFailure() const override;
    CLinkEngine& Engine() override { return session_.engine(); }
    void DropNotifications(INotificationTarget* target) override;

    // --- closing, help, About ------------------------------------------------------------
    // True when the sheet may close: no page busy, and changed settings saved or dropped
    // after asking.
    bool CanClose();
    void ShowAbout();
    void ShowHelp(int topicId) override;
    // The help window, once opened (a window of its own, not a child of the sheet).
    CHelpWindow* HelpWindow() const;

    // --- what the pages tell the sheet (IPageHost) ----------------------------------------
    void OnBusyChanged() override;
    void OnProgress(int percent) override;
    // The Restore / Export page reads its list again when next shown.
    void OnBackupsChanged() override;

    // --- ending on request -----------------------------------------------------------------
    // A termination signal or the end of the session. A running operation is cancelled as
    // by its Cancel button and left to end by its own path (the link's time-outs bound
    // that, and a restore deletes its cut-off upload meanwhile); open dialogs and boxes are
    // closed, no box is shown and no operation starts any more, and changed settings are
    // not saved (no one is there to be asked). Once nothing runs, `ended` is emitted with
    // `status`, once. Later requests change nothing.
    void EndOnRequest(int status);
    bool IsEnding() const { return ending_; }
    // The process is ending (exit() called) while an operation is suspended in one of its
    // waits, on the GUI thread: Qt does that when the display has gone, as at the end of
    // the X session. A restore then deletes its cut-off upload while the link answers, with
    // the queue detached from Qt, and the record of the restore is written out.
    void EndAtProcessExit();

    // The notices of the restores that earlier runs left unfinished, in a box, once (the
    // constructor has it shown as soon as the event loop runs).
    void ShowCutOffRestoreNotice();

signals:
    // The program may end now, with `status` (see EndOnRequest).
    void ended(int status);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AddPage(CHelpPropPage* page);
    void BuildButtonStrip();
    void OnCloseButton();
    void OnCurrentChanged(int index);
    // Asks the active page whether it may be left; when it may, the next page change
    // goes through without asking again.
    bool MayLeaveActivePage();
    bool AnyPageBusy() const;
    void UpdateTitle();
    // Emits `ended` (queued) once no operation runs any more.
    void FinishEndingWhenIdle();
    // Runs `operation` unless another runs; false when refused.
    template <typename Operation>
    auto RunExclusive(Operation operation, decltype(operation()) refused);
    // Has an exit() on this thread end a suspended operation (EndAtProcessExit); registered
    // once, when the first operation starts.
    static void WatchProcessExit();

    ISettings& settings_;
    const ISpecialFolders& folders_;
    std::function<std::vector<SerialPortListing>()> listPorts_;
    CommsValues comms_;

    SystemClock clock_;
    QtNotificationQueue queue_;
    QtPrompt messageBoxes_;
    IPrompt& prompt_;
    QtDiagnosticLog log_;
    LoggerSession session_;
    RestoreRecords restoreRecords_;

    QTabWidget* tabs_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QAction* aboutAction_ = nullptr;
    bool windowMenuTried_ = false;
    CBackupPage* backupPage_ = nullptr;
    CRestoreExportPage* restoreExportPage_ = nullptr;
    CSettingsPage* settingsPage_ = nullptr;
    CFilePage* filePage_ = nullptr;
    std::vector<CHelpPropPage*> pages_;
    int activeIndex_ = 0;
    bool leaveApproved_ = false;
    bool closeApproved_ = false;
    bool operationRunning_ = false;
    bool ending_ = false;
    bool endQueued_ = false;
    int endStatus_ = 0;
    int progress_ = -1;
    // A backup or restore runs: the title shows the share of all its files, not the file's.
    bool transferRunning_ = false;
    QPointer<CHelpWindow> helpWindow_;
};

}  // namespace vantrel::app
