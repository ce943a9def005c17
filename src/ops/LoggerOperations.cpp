// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces the backup and the restore share, and the backup itself.
#include "ops/LoggerOperations.h"

#include <exception>
#include <numeric>
#include <set>
#include <system_error>

#include "base/PathText.h"
#include "base/RaceMarks.h"
#include "base/StringPrintf.h"
#include "data/AtomicFile.h"
#include "data/DateTime.h"
#include "link/ListingGuard.h"
#include "ops/BackupFolder.h"
#include "ops/BackupNaming.h"

namespace vantrel {

namespace {
constexpr double kSecondsPerDay = 86400.0;
}  // namespace

CLoggerOperations::CLoggerOperations(CLinkEngine& engine, IPrompt& prompt,
                                     LinkSettings linkSettings)
    : CLoggerOperations(engine, prompt,
                        LinkSettingsSource([linkSettings] { return linkSettings; })) {}

CLoggerOperations::CLoggerOperations(CLinkEngine& engine, IPrompt& prompt,
                                     LinkSettingsSource linkSettings)
    : engine_(engine),
      prompt_(prompt),
      linkSettings_(std::move(linkSettings)),
      isExcluded_(DefaultExcludes()),
      localNow_(CurrentLocalTime) {}

const CVantrelArchive* CLoggerOperations::LastBackup() const {
    return lastBackup_ ? &*lastBackup_ : nullptr;
}

int CLoggerOperations::RunWithRateTimer(INotificationTarget* page,
                                        std::chrono::milliseconds ratePeriod,
                                        const std::function<int()>& steps) {
    // A port failure is the user's business only while an operation uses the port.
    const CLinkEngine::OperationScope operation(engine_);
    engine_.StartRateTimer(ratePeriod);
    int result = 0;
    try {
        BeginTransfer(page);
        result = steps();
    } catch (...) {
        engine_.StopRateTimer();
        throw;
    }
    engine_.StopRateTimer();
    if (result == 1 && completionSignal_) completionSignal_();
    return result;
}

void CLoggerOperations::BeginTransfer(INotificationTarget* page) {
    engine_.SetTransferErrorCount(0);
    engine_.SetTransferByteCount(0);
    // The page is not the link's target yet: post the reset count to it directly.
    if (page != nullptr) engine_.services().queue.Post(page, Notification::Errors(0));
    startWallSeconds_ = engine_.services().clock.WallSeconds();
    PostShareStep([](COperationShare& share) { share.Start(0); });
}

void CLoggerOperations::PostShareStep(std::function<void(COperationShare&)> step) {
    engine_.services().queue.Post(
        nullptr, Notification::Invoke([this, step = std::move(step)] { step(share_); }));
}

void CLoggerOperations::PostCompletion(const char* format, int fileCount) {
    // Start and end are whole seconds of the clock, as the local times the elapsed time is
    // taken from are; the span is then a whole number of seconds.
    const auto elapsedSeconds = engine_.services().clock.WallSeconds() - startWallSeconds_;
    const std::string elapsed = FormatElapsed(static_cast<double>(elapsedSeconds) / kSecondsPerDay);
    engine_.SetStatusText(StringPrintf(format, fileCount, elapsed.c_str()));
    engine_.PostStatus(0, engine_.StatusText());
}

// Steps 4 to 7: the listing, which must end with the logger's "no more files" answer.
bool CLoggerOperations::ListLoggerFiles(Listing& listing) {
    const auto fail = [this](const char* status) {
        engine_.CloseLink();
        engine_.PostStatus(0, std::string(status));
        return false;
    };
    engine_.PostStatus(0, std::string(texts::kRetrievingFileInfo));
    std::string name;
    std::uint32_t size = 0;
    if (!engine_.GetFirstFileInfo(name, size)) return fail(texts::kNoFirstFileInfo);
    // Only the first file is tested: an empty first file means the logger's file system is
    // not in a state worth backing up.
    if (size == 0) {
        engine_.CloseLink();
        prompt_.Show(texts::kZeroByteFile);
        return false;
    }
    ListingGuard guard;
    guard.Accept(name);
    do {
        listing.names.push_back(name);
        listing.sizes.push_back(size);
    } while (engine_.GetNextFileInfo(name, size) && guard.Accept(name));
    if (guard.GaveUp()) prompt_.Show(guard.Message());
    if (guard.GaveUp() || engine_.LastReplyStatus() != ReplyStatus::EndOfList) {
        return fail(texts::kNoFileInfo);
    }
    return true;
}

// Step 8: every listed file, in listing order.
bool CLoggerOperations::DownloadFiles(const Listing& listing, std::vector<std::string>& contents) {
    contents.reserve(listing.names.size());
    const std::uint64_t total =
        std::accumulate(listing.sizes.begin(), listing.sizes.end(), std::uint64_t{0});
    PostShareStep([total](COperationShare& share) { share.Start(total); });
    for (std::size_t i = 0; i < listing.names.size(); ++i) {
        PostShareStep([size = listing.sizes[i]](COperationShare& share) { share.BeginFile(size); });
        std::string content;
        if (!engine_.RetrieveFile(listing.names[i], listing.sizes[i], content)) {
            engine_.CloseLink();
            engine_.PostStatus(0, std::string(texts::kRetrieveAborted));
            return false;
        }
        contents.push_back(std::move(content));
    }
    return true;
}

// Steps 10 to 14: sorting, both soil checks, the profile records and the dates.
bool CLoggerOperations::BuildBackup(const Listing& listing,
                                    const std::vector<std::string>& contents,
                                    CVantrelArchive& archive) {
    leftOut_.clear();
    const BackupSortResult sorted =
        SortBackupFiles(listing.names, contents, archive, isExcluded_, &leftOut_);
    if (sorted != BackupSortResult::Ok) {
        prompt_.Show(BackupSortMessage(sorted));
        return false;
    }
    archive.m_dtBackup = localNow_();
    archive.ScanProfiles();
    return true;
}

// Step 15: the whole file is written unnamed and then given the first free name from
// `path` on, by the "(n)" rule, so a backup never replaces a file: not one that was there
// when the page chose the name, nor one that another backup or a copy put there during the
// download. A failure leaves nothing behind.
bool CLoggerOperations::SaveBackup(const CVantrelArchive& archive,
                                   const std::filesystem::path& path) {
    constexpr int kNameAttempts = 1000;
    std::string reason;
    try {
        const std::vector<std::uint8_t> bytes = archive.Store();
        UnpublishedFile file(
            path.parent_path(),
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        // Names the file system refused although the listing did not show them taken: on a
        // file system blind to letter case (a USB stick), "SITE.VBK" takes "Site.vbk".
        std::set<std::string> refused;
        for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
            // A fresh look at the folder each time: another writer may have taken a name.
            const FileExistsPredicate listed = TakenNamesIn(path.parent_path());
            const std::string candidate = UniqueBackupPath(
                Utf8FromPath(path),
                [&](const std::string& name) { return listed(name) || refused.contains(name); });
            // Tests hold racing backups here until both have chosen a name.
            race_marks::MeetAt("backup-named", {"backup-named"});
            if (file.PublishNew(PathFromUtf8(candidate))) {
                lastBackupPath_ = PathFromUtf8(candidate);
                return true;
            }
            refused.insert(candidate);
        }
        reason = "no free name";
    } catch (const std::system_error& error) {
        reason = error.code().message();
    } catch (const std::exception& error) {
        reason = error.what();
    }
    prompt_.Show(std::string(texts::kCouldNotSave) + "\n" + reason + ": " + Utf8FromPath(path));
    return false;
}

int CLoggerOperations::BackupLogger(INotificationTarget* page, const std::filesystem::path& path) {
    lastBackup_.reset();
    lastBackupPath_.clear();
    return RunWithRateTimer(page, kBackupRatePeriod, [&] { return RunBackup(page, path); });
}

int CLoggerOperations::RunBackup(INotificationTarget* page, const std::filesystem::path& path) {
    // The prologue clears the cancel flag, opens the port and connects, with its own boxes.
    if (!engine_.OperationPrologue(page, linkSettings_(), /*clearCancel=*/true)) return 0;

    Listing listing;
    if (!ListLoggerFiles(listing)) return 0;
    std::vector<std::string> contents;
    if (!DownloadFiles(listing, contents)) return 0;
    engine_.CloseLink();
    engine_.PostStatus(0, std::string(texts::kCommsClosedProcessing));

    CVantrelArchive archive;
    try {
        if (!BuildBackup(listing, contents, archive)) return 0;
    } catch (const std::exception& error) {
        // Nothing in the downloaded data should make sorting fail; if it does, say so
        // rather than end the program.
        prompt_.Show(std::string(texts::kCouldNotSave) + "\n" + error.what());
        return 0;
    }
    if (!SaveBackup(archive, path)) return 0;

    PostCompletion(texts::kBackupCompleted, static_cast<int>(listing.names.size()));
    lastBackup_ = std::move(archive);
    // Counted but not stored: a later restore would erase these from the logger.
    if (!leftOut_.empty()) {
        prompt_.Show(DescribeLeftOutFiles(leftOut_), texts::kLeftOutCaption, PromptButtons::OK,
                     PromptIcon::Information);
    }
    return 1;
}

}  // namespace vantrel
