// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The backup, restore and erase operations on a connected logger. They run on the thread
// that owns the link engine and report to the page (or progress printer) that started
// them through the engine's notifications; what they ask or tell the user goes through
// the prompt seam.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/VantrelArchive.h"
#include "link/LinkEngine.h"
#include "ops/BackupSorting.h"
#include "ops/OperationShare.h"
#include "ops/RestorePlan.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"

namespace vantrel {

// Texts the operations post or show.
namespace texts {
inline constexpr const char* kRetrievingFileInfo = "Retrieving File Info";
inline constexpr const char* kNoFirstFileInfo = "Unable to retrieve first file info";
inline constexpr const char* kZeroByteFile = "Zero byte file detected";
inline constexpr const char* kNoFileInfo = "Unable to retrieve info from file";
inline constexpr const char* kRetrieveAborted = "ABORTED..Unable to retrieve file";
inline constexpr const char* kCommsClosedProcessing = "Comms Closed. Processing Data...";
inline constexpr const char* kCouldNotSave = "Could not open data file for saving";
inline constexpr const char* kBackupCompleted = "Backup completed (%d files).  Elapsed Time: %s";
inline constexpr const char* kErasing = "Erasing Vantrel File System";
inline constexpr const char* kEraseFailed = "Unable to erase vantrel file system";
inline constexpr const char* kRestored = "Restored %d files OK.  Elapsed Time: %s";
inline constexpr const char* kLeftOutCaption = "Files Not Backed Up";
}  // namespace texts

// Periods of the transfer-rate timer.
inline constexpr std::chrono::milliseconds kBackupRatePeriod{2000};
inline constexpr std::chrono::milliseconds kRestoreRatePeriod{6000};

// The logger's own configuration: kept on the logger by the erase, never restored.
inline constexpr const char* kDeviceConfigFileName = "QUILON.CFG00";

class CLoggerOperations {
public:
    // Where each operation opens the port; read when the operation starts, so a changed
    // "Port" or "Baud Rate" setting takes effect at the next operation.
    using LinkSettingsSource = std::function<LinkSettings()>;
    // The local date and time stored as the backup's date.
    using LocalTimeSource = std::function<DateTimeValue()>;

    // `linkSettings`: the port and baud rate to open (the front end's one-run overrides).
    CLoggerOperations(CLinkEngine& engine, IPrompt& prompt, LinkSettings linkSettings);
    CLoggerOperations(CLinkEngine& engine, IPrompt& prompt, LinkSettingsSource linkSettings);

    // Copies the whole file system of the logger into a new backup file at `path`.
    // Returns 1 when the backup file was written, 0 otherwise. The file is written unnamed
    // and named only when complete, so a failed or interrupted backup leaves nothing. It
    // never replaces a file: when `path` was taken meanwhile, the next free "(n)" name is
    // used (LastBackupPath() tells which).
    int BackupLogger(INotificationTarget* page, const std::filesystem::path& path);
    // The logger files the last backup downloaded but did not keep (shown after its
    // completion text).
    const std::vector<LeftOutFile>& LastLeftOutFiles() const { return leftOut_; }
    // The file the last successful BackupLogger wrote.
    const std::filesystem::path& LastBackupPath() const { return lastBackupPath_; }

    // Erases the logger (but "QUILON.CFG00") and writes the files of `archive` to it.
    // Returns 1 when every upload succeeded. A backup that RestoreRefusal refuses is
    // refused with its message before anything is sent. The cancel flag is left as it is
    // at the start: the caller clears it once the restore has ended.
    int RestoreLogger(INotificationTarget* page, const CVantrelArchive& archive);
    // How far the last restore got (DescribeRestoreOutcome tells the user).
    const RestoreOutcome& LastRestoreOutcome() const { return restoreOutcome_; }
    // Called with the restore's outcome so far whenever it changes: when the erase begins,
    // when the uploads begin, when each file begins and once it is written whole, and when
    // the restore has ended. A restore that never reached the logger does not call it.
    void SetRestoreProgressSink(std::function<void(const RestoreOutcome&)> sink) {
        restoreProgress_ = std::move(sink);
    }

    // For a process that ends while a restore is suspended in one of its waits (the desktop
    // program's toolkit ends the process from inside a wait when its display has gone):
    // deletes the file being uploaded, while the link still answers, closes the link and
    // reports the restore's progress, without returning to the suspended restore, which
    // never runs again. The queue's waits must no longer run the toolkit's own events.
    // Nothing to do when no restore is under way.
    void EndSuspendedRestore();
    // The program is ending (a termination signal, the end of the session): a restore that
    // the cancel it sends cuts off ended with the program, not by the user's cancel.
    void NoteProgramEnding() { programEnding_ = true; }

    // The share of the running backup or restore that is done (0 to 100, never going down
    // within one operation) when the file being transferred is `filePercent` done, as a
    // window title or a task bar shows it. Follows the notifications the page has taken.
    int WholePercent(std::uint32_t filePercent) { return share_.Percent(filePercent); }

    // Deletes every file of the logger except "QUILON.CFG00"; the link must be open.
    int EraseFileSystem();

    // The backup document built by the last successful BackupLogger (for tests and tools).
    const CVantrelArchive* LastBackup() const;

    // Seams for tests: the Excludes list used by the backup (default: "Vantrel.ini" in the
    // current directory) and the clock of the backup date (default: the local time).
    void SetExcludes(ExcludePredicate isExcluded) { isExcluded_ = std::move(isExcluded); }
    void SetLocalTimeSource(LocalTimeSource now) { localNow_ = std::move(now); }
    // The signal sounded when a backup or restore completes (the GUI beeps; default none).
    void SetCompletionSignal(std::function<void()> signal) {
        completionSignal_ = std::move(signal);
    }

private:
    struct Listing {
        std::vector<std::string> names;
        std::vector<std::uint32_t> sizes;
    };

    // Runs `steps` (the backup or restore after its step 1) with the rate timer running:
    // the timer is started first and stopped on every way out, an escaping exception
    // included; a result of 1 then sounds the completion signal.
    int RunWithRateTimer(INotificationTarget* page, std::chrono::milliseconds ratePeriod,
                         const std::function<int()>& steps);
    // Step 1 of both operations after the timer: counters reset and posted, start time.
    void BeginTransfer(INotificationTarget* page);
    int RunBackup(INotificationTarget* page, const std::filesystem::path& path);
    int RunRestore(INotificationTarget* page, const std::vector<RestoreFile>& plan);
    // The completion text with the file count and the elapsed time, posted with progress 0.
    void PostCompletion(const char* format, int fileCount);

    bool ListLoggerFiles(Listing& listing);
    bool DownloadFiles(const Listing& listing, std::vector<std::string>& contents);
    bool BuildBackup(const Listing& listing, const std::vector<std::string>& contents,
                     CVantrelArchive& archive);
    bool SaveBackup(const CVantrelArchive& archive, const std::filesystem::path& path);
    bool UploadArchive(const std::vector<RestoreFile>& plan);
    // Records in the restore's outcome the logger's refusal that ended the erase or an
    // upload (`name`: the file it concerned, or empty), when a refusal ended it.
    void NoteRefusal(const std::string& name);
    // How the restore that just failed ended: refused, cancelled or cut off by the line.
    RestoreOutcome::Ending FailureEnding() const;
    void ReportRestoreProgress();
    // Runs `step` on the share once the notifications posted before it have been taken, so
    // that a file's last percent is not counted for the next file.
    void PostShareStep(std::function<void(COperationShare&)> step);

    CLinkEngine& engine_;
    IPrompt& prompt_;
    LinkSettingsSource linkSettings_;
    ExcludePredicate isExcluded_;
    LocalTimeSource localNow_;
    std::function<void()> completionSignal_;
    std::int64_t startWallSeconds_ = 0;
    std::optional<CVantrelArchive> lastBackup_;
    std::filesystem::path lastBackupPath_;
    RestoreOutcome restoreOutcome_;
    std::function<void(const RestoreOutcome&)> restoreProgress_;
    std::uint32_t cancelsAtStart_ = 0;  // the engine's cancel count when the restore began
    bool restoreRunning_ = false;
    bool programEnding_ = false;
    std::vector<LeftOutFile> leftOut_;
    COperationShare share_;
};

}  // namespace vantrel
