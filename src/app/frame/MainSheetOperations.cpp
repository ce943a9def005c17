// SPDX-License-Identifier: GPL-3.0-or-later
// The operations the main sheet runs for its pages (IPageHost), each on the GUI thread
// through the communications engine and one at a time (refused while another runs or the
// program ends), and what the pages read of them afterwards.
#include "app/frame/MainSheet.h"

#include <filesystem>
#include <string>
#include <vector>

#include "base/PathText.h"
#include "data/VantrelArchive.h"
#include "frontend/RestoreRecord.h"
#include "frontend/ShownTitle.h"
#include "ops/BackupFolder.h"
#include "ops/RestorePlan.h"

namespace vantrel::app {

namespace {

// Sets a flag for as long as it lives, an escaping exception included.
struct FlagWhile {
    bool& flag;
    explicit FlagWhile(bool& set) : flag(set) { flag = true; }
    ~FlagWhile() { flag = false; }
    FlagWhile(const FlagWhile&) = delete;
    FlagWhile& operator=(const FlagWhile&) = delete;
};

}  // namespace

template <typename Operation>
auto CMainSheet::RunExclusive(Operation operation, decltype(operation()) refused) {
    if (operationRunning_ || ending_) return refused;
    WatchProcessExit();
    const FlagWhile running(operationRunning_);
    return operation();
}

bool CMainSheet::OpenLink() {
    const LinkSettings link = ReadLinkSettings(settings_);
    return session_.engine().OpenLink(link.port, link.baudRate);
}

int CMainSheet::BackupLogger(INotificationTarget* page, const std::filesystem::path& path) {
    return RunExclusive(
        [&] {
            const FlagWhile transfer(transferRunning_);
            return session_.operations().BackupLogger(page, path);
        },
        0);
}

int CMainSheet::RestoreLogger(INotificationTarget* page, const CVantrelArchive& archive,
                              const std::filesystem::path& backup) {
    bool ran = false;
    const int result = RunExclusive(
        [&] {
            ran = true;
            const FlagWhile transfer(transferRunning_);
            // Kept on disk as the restore goes, so that the next start can tell a restore
            // cut off however this run ends.
            const RestoreRecording recording(restoreRecords_, ReadLinkSettings(settings_).port,
                                             Utf8FromPath(backup), &session_.operations());
            return session_.operations().RestoreLogger(page, archive);
        },
        0);
    // After the link's own last status: what the logger holds now, when the restore ended
    // early, in the page's status line and in a box (a refused restore has no outcome).
    const std::string state = DescribeRestoreOutcome(session_.operations().LastRestoreOutcome());
    if (ran && result == 0 && !state.empty()) {
        queue_.Post(page, Notification::Status(kKeepProgress, state.substr(0, state.find('\n'))));
        // Named as the list shows it: the row highlighted by now may be another one.
        const std::string title = ShownTitle(BackupTitleOf(Utf8FromPath(backup.filename())));
        prompt_.Show("The restore of \"" + title + "\" did not complete.\n" + state,
                     texts::kRestoreIncompleteCaption, PromptButtons::OK, PromptIcon::Exclamation);
    }
    return result;
}

bool CMainSheet::ListFiles(INotificationTarget* page, std::vector<std::string>& names,
                           std::vector<std::uint32_t>& sizes) {
    return RunExclusive(
        [&] { return session_.engine().ListFiles(page, session_.Link(), names, sizes); }, false);
}

bool CMainSheet::DeleteFiles(INotificationTarget* page, const std::vector<std::string>& names) {
    return RunExclusive([&] { return session_.engine().DeleteFiles(page, session_.Link(), names); },
                        false);
}

void CMainSheet::SetCancel(bool cancel) {
    session_.engine().SetCancel(cancel);
}

bool CMainSheet::IsCancelled() const {
    return session_.engine().IsCancelled();
}

const std::filesystem::path& CMainSheet::LastBackupPath() {
    return session_.operations().LastBackupPath();
}

std::string CMainSheet::ExplainPortFailure() const {
    return session_.ExplainOpenFailure(PortAdvice::Desktop);
}

void CMainSheet::DropNotifications(INotificationTarget* target) {
    queue_.Discard(target);
}

}  // namespace vantrel::app
