// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// IPageHost: what the main sheet offers its pages and the windows they open (the export
// dialog, Find Logger, the readings window), and all they know of it: the seams they use,
// the logger operations they start, and what they tell the sheet. The sheet creates the
// pages and implements this; nothing below the sheet includes the sheet. GUI thread only.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "frontend/SerialPorts.h"
#include "platform/Notification.h"
#include "platform/Prompt.h"
#include "platform/Settings.h"
#include "platform/SpecialFolders.h"

namespace vantrel {
class CLinkEngine;
class CVantrelArchive;
}  // namespace vantrel

namespace vantrel::app {

class IPageHost {
public:
    virtual ~IPageHost() = default;

    // --- seams -------------------------------------------------------------------------
    // The message boxes (a test's prompt when one was given).
    virtual IPrompt& Prompt() = 0;
    virtual ISettings& Settings() = 0;
    // Saves the settings written so far; when that fails, says so in a box (the file and
    // the reason) and returns false. The values stay in effect for this run.
    virtual bool SaveSettings() = 0;
    virtual const ISpecialFolders& Folders() const = 0;
    // The serial ports the Settings page and Find Logger list.
    virtual std::vector<SerialPortListing> ListPorts() const = 0;

    // --- operations (each refused, with 0 or false, while another runs) ------------------
    // `page` receives the operation's notifications.
    virtual int BackupLogger(INotificationTarget* page, const std::filesystem::path& path) = 0;
    // `backup`: the file `archive` was loaded from, which the restore's record names.
    virtual int RestoreLogger(INotificationTarget* page, const CVantrelArchive& archive,
                              const std::filesystem::path& backup) = 0;
    virtual bool ListFiles(INotificationTarget* page, std::vector<std::string>& names,
                           std::vector<std::uint32_t>& sizes) = 0;
    virtual bool DeleteFiles(INotificationTarget* page, const std::vector<std::string>& names) = 0;
    // Asks the running operation to stop at the logger's next answer (or withdraws that).
    virtual void SetCancel(bool cancel) = 0;
    virtual bool IsOperationRunning() const = 0;
    // The file the last successful backup wrote.
    virtual const std::filesystem::path& LastBackupPath() = 0;
    // Why the last operation could not open its port and what to do about it, worded for
    // the desktop program; empty when the port opened.
    virtual std::string ExplainPortFailure() const = 0;
    // The link engine, which Find Logger's probe uses between operations.
    virtual CLinkEngine& Engine() = 0;
    // Drops the notifications still queued for `target` (a page that goes).
    virtual void DropNotifications(INotificationTarget* target) = 0;

    // --- what the pages tell the sheet -----------------------------------------------------
    // A page's busy state changed: the window title follows.
    virtual void OnBusyChanged() = 0;
    // The progress of a page's operation changed.
    virtual void OnProgress(int percent) = 0;
    // A backup was written or the backup folder changed: the backup list is read again the
    // next time it is shown.
    virtual void OnBackupsChanged() = 0;
    // The help window on the topic of page or dialog `topicId` (0: the contents).
    virtual void ShowHelp(int topicId) = 0;
};

}  // namespace vantrel::app
