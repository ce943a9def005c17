// SPDX-License-Identifier: GPL-3.0-or-later
// The restore: erase the logger (keeping its own configuration) and upload a backup.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "link/ListingGuard.h"
#include "ops/LoggerOperations.h"

namespace vantrel {

int CLoggerOperations::EraseFileSystem() {
    engine_.PostStatus(0, std::string(texts::kErasing));
    engine_.ClearRefusal();
    std::vector<std::string> doomed;
    std::string name;
    std::uint32_t size = 0;
    if (!engine_.GetFirstFileInfo(name, size)) {
        // "No file" is an empty logger, nothing to erase; any other failure is one.
        if (engine_.LastReplyStatus() == ReplyStatus::EndOfList) return 1;
        NoteRefusal({});
        return 0;
    }
    ListingGuard guard;
    guard.Accept(name);
    do {
        if (name != kDeviceConfigFileName) doomed.push_back(name);
    } while (engine_.GetNextFileInfo(name, size) && guard.Accept(name));
    if (guard.GaveUp()) {
        prompt_.Show(guard.Message());
        return 0;
    }
    if (engine_.LastReplyStatus() != ReplyStatus::EndOfList) {
        NoteRefusal({});
        return 0;
    }

    const double count = static_cast<double>(doomed.size());
    for (std::size_t k = 0; k < doomed.size(); ++k) {
        if (!engine_.DeleteLoggerFile(doomed[k])) {
            NoteRefusal(doomed[k]);
            return 0;
        }
        const double percent = static_cast<double>(k + 1) * 100.0 / count;
        engine_.PostStatus(static_cast<std::uint32_t>(percent), std::nullopt);
    }
    return 1;
}

// Step 5: the files of the plan in order. A file cut off by a failure or a cancel is
// deleted again while the link still answers, so a later backup never takes a shortened
// profile for a whole one.
void CLoggerOperations::NoteRefusal(const std::string& name) {
    if (const std::optional<int> code = engine_.FirstRefusal()) {
        restoreOutcome_.refusedName = name;
        restoreOutcome_.refusal = ErrorText(*code);
    }
}

RestoreOutcome::Ending CLoggerOperations::FailureEnding() const {
    using Ending = RestoreOutcome::Ending;
    if (!restoreOutcome_.refusal.empty()) return Ending::Refused;
    if (engine_.CancelsHonoured() != cancelsAtStart_) {
        return programEnding_ ? Ending::ProgramEnded : Ending::Cancelled;
    }
    return Ending::LineBroken;
}

bool CLoggerOperations::UploadArchive(const std::vector<RestoreFile>& plan) {
    std::uint64_t total = 0;
    for (const RestoreFile& file : plan) total += file.content.size();
    PostShareStep([total](COperationShare& share) { share.Start(total); });
    for (const RestoreFile& file : plan) {
        PostShareStep(
            [size = file.content.size()](COperationShare& share) { share.BeginFile(size); });
        engine_.ClearRefusal();
        // Recorded before the first byte goes out: a program killed during the upload
        // leaves the name of the file that may be cut off.
        restoreOutcome_.uploading = file.name;
        ReportRestoreProgress();
        if (engine_.UploadFile(file.name, file.content)) {
            restoreOutcome_.uploading.clear();
            ++restoreOutcome_.filesComplete;
            ReportRestoreProgress();
            continue;
        }
        NoteRefusal(file.name);
        // A name the logger does not take names no file on it: there is nothing to delete.
        if (engine_.FirstRefusal() == kInvalidFilenameCode) {
            restoreOutcome_.uploading.clear();
            return false;
        }
        // The delete must not be taken for a cancel of its own: the cancel was honoured.
        engine_.SetCancel(false);
        const bool deleted = engine_.DeleteLoggerFile(file.name);
        // A refusal means the logger answers and holds no such file: nothing is cut off.
        if (!deleted && !engine_.LastReplyStatus()) restoreOutcome_.cutOff = file.name;
        restoreOutcome_.uploading.clear();
        return false;
    }
    return true;
}

int CLoggerOperations::RestoreLogger(INotificationTarget* page, const CVantrelArchive& archive) {
    restoreOutcome_ = RestoreOutcome{};
    const std::vector<RestoreFile> plan = RestorePlan(archive);
    restoreOutcome_.filesTotal = static_cast<int>(plan.size());
    // Checked before anything is sent, so a backup that cannot be restored never erases.
    if (const std::string refusal = RestoreRefusal(archive); !refusal.empty()) {
        prompt_.Show(refusal);
        return 0;
    }
    restoreRunning_ = true;
    cancelsAtStart_ = engine_.CancelsHonoured();
    struct Ended {
        bool& running;
        ~Ended() { running = false; }
    } ended{restoreRunning_};
    return RunWithRateTimer(page, kRestoreRatePeriod, [&] { return RunRestore(page, plan); });
}

void CLoggerOperations::EndSuspendedRestore() {
    if (!std::exchange(restoreRunning_, false)) return;
    if (restoreOutcome_.stage == RestoreOutcome::Stage::NotStarted ||
        restoreOutcome_.stage == RestoreOutcome::Stage::Done) {
        engine_.CloseLink();
        return;
    }
    engine_.SetCancel(false);
    restoreOutcome_.ending = RestoreOutcome::Ending::ProgramEnded;
    if (const std::string cutOff = restoreOutcome_.uploading; !cutOff.empty()) {
        engine_.CloseSuspendedUpload();  // an open file cannot be deleted
        const bool deleted = engine_.DeleteLoggerFile(cutOff);
        if (!deleted && !engine_.LastReplyStatus()) restoreOutcome_.cutOff = cutOff;
        restoreOutcome_.uploading.clear();
    }
    engine_.CloseLink();
    ReportRestoreProgress();
}

void CLoggerOperations::ReportRestoreProgress() {
    if (restoreProgress_) restoreProgress_(restoreOutcome_);
}

int CLoggerOperations::RunRestore(INotificationTarget* page, const std::vector<RestoreFile>& plan) {
    if (!engine_.OperationPrologue(page, linkSettings_(), /*clearCancel=*/false)) return 0;
    restoreOutcome_.stage = RestoreOutcome::Stage::Erasing;
    ReportRestoreProgress();
    if (!EraseFileSystem()) {
        restoreOutcome_.ending = FailureEnding();
        engine_.PostStatus(0, std::string(texts::kEraseFailed));
        engine_.CloseLink();
        ReportRestoreProgress();
        return 0;
    }
    restoreOutcome_.stage = RestoreOutcome::Stage::Uploading;
    ReportRestoreProgress();
    if (!UploadArchive(plan)) {
        restoreOutcome_.ending = FailureEnding();
        engine_.CloseLink();      // UploadFile has already said what failed
        ReportRestoreProgress();  // with the file left cut off, if any
        return 0;
    }
    restoreOutcome_.stage = RestoreOutcome::Stage::Done;
    ReportRestoreProgress();
    engine_.CloseLink();
    PostCompletion(texts::kRestored, restoreOutcome_.filesComplete);
    return 1;
}

}  // namespace vantrel
