// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/RestoreRecord.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <chrono>
#include <random>
#include <system_error>
#include <thread>

#include "base/PathText.h"
#include "base/StringPrintf.h"
#include "link/PortName.h"
#include "platform/qt/QtSettings.h"

namespace vantrel {

namespace {

using Stage = RestoreOutcome::Stage;
using Ending = RestoreOutcome::Ending;

// The values of one record.
constexpr std::string_view kPort = "Port";
constexpr std::string_view kBackup = "Backup";
constexpr std::string_view kStage = "Stage";
constexpr std::string_view kEnding = "Ending";
constexpr std::string_view kComplete = "Complete";
constexpr std::string_view kTotal = "Total";
constexpr std::string_view kUploading = "Uploading";
constexpr std::string_view kCutOff = "Cut Off";
constexpr std::string_view kRefusal = "Refusal";
constexpr std::string_view kRefusedFile = "Refused File";
constexpr std::string_view kLock = "Lock";

constexpr const char* kRecordsLockName = "VantrelUtilities.restores.lock";
constexpr std::chrono::milliseconds kRecordsLockWait{5000};

std::string SectionOf(int slot) {
    return "Restore " + std::to_string(slot);
}

std::string_view StageWord(Stage stage) {
    return stage == Stage::Erasing ? "erasing" : "uploading";
}

// The stage a record names; none for a record spoilt by hand or by another program.
std::optional<Stage> StageOf(std::string_view word) {
    for (const Stage stage : {Stage::Erasing, Stage::Uploading}) {
        if (word == StageWord(stage)) return stage;
    }
    return std::nullopt;
}

constexpr std::pair<Ending, std::string_view> kEndingWords[] = {
    {Ending::Running, "running"},
    {Ending::Refused, "refused"},
    {Ending::Cancelled, "cancelled"},
    {Ending::LineBroken, "line broken"},
    {Ending::ProgramEnded, "program ended"},
};

std::string_view EndingWord(Ending ending) {
    for (const auto& [value, word] : kEndingWords) {
        if (value == ending) return word;
    }
    return "running";
}

// A word not known (a record spoilt by hand) reads as a restore that never said how it ended.
Ending EndingOf(std::string_view word) {
    for (const auto& [value, known] : kEndingWords) {
        if (known == word) return value;
    }
    return Ending::Running;
}

std::string FilesText(int count) {
    return count == 1 ? "1 file" : std::to_string(count) + " files";
}

// A name for the lock file of one restore: the process id (for whoever reads the folder)
// and a random part, so that no two restores ever share a lock file.
std::string NewToken() {
    std::random_device random;
    const auto pid = static_cast<unsigned long long>(QCoreApplication::applicationPid());
    return StringPrintf("%llu-%08x%08x", pid, random(), random());
}

// Only what NewToken makes names a file: a record edited by hand never reaches another.
bool IsToken(std::string_view token) {
    return !token.empty() && token.size() <= 40 &&
           token.find_first_not_of("0123456789abcdef-") == std::string_view::npos;
}

bool HasOldRecord(const ISettings& store) {
    return store.HasSection(settings::kLastRestore);
}

std::string OldRecordNotice(ISettings& store) {
    using namespace settings;
    if (!HasOldRecord(store)) return {};
    const int total = store.GetInt(kLastRestore, kFilesTotal, -1);
    const int complete = store.GetInt(kLastRestore, kFilesComplete, -1);
    store.RemoveSection(kLastRestore);
    // That version kept no word of how the restore ended: it may have been a refusal.
    const std::string held = total <= 0 || complete < 0 || complete >= total
                                 ? "the logger may not hold all of its files"
                                 : "the logger holds " + std::to_string(complete) + " of " +
                                       std::to_string(total) + " files";
    return "A restore by an earlier version of this program was cut off; " + held +
           ".\nUnless the logger refused that backup, restoring it again puts it right.";
}

}  // namespace

std::string DescribeRecordedRestore(const RecordedRestore& restore) {
    const RestoreOutcome& outcome = restore.outcome;
    std::string text = "The restore of \"" + restore.backup + "\" to " + restore.port;
    switch (outcome.ending) {
        case Ending::Refused:
            text += " was refused by the logger.\n";
            break;
        case Ending::Cancelled:
            text += " was cancelled.\n";
            break;
        case Ending::LineBroken:
            text += " was cut off: the link to the logger failed.\n";
            break;
        case Ending::Running:
        case Ending::ProgramEnded:
            text += " was cut off: the program ended during it.\n";
            break;
    }
    if (outcome.ending == Ending::Refused) {
        const std::string& name = outcome.refusedName;
        if (name.empty()) {
            text += "The logger refused to list its files: " + outcome.refusal + ".\n";
        } else if (outcome.stage == Stage::Erasing) {
            text += "The logger refused to delete \"" + name + "\": " + outcome.refusal + ".\n";
        } else {
            text += "The logger refused the file \"" + name + "\": " + outcome.refusal + ".\n";
        }
    }
    if (outcome.stage == Stage::Erasing) {
        text += "The logger was being erased: some of its files are gone.\n";
    } else {
        text += "The logger holds " + std::to_string(outcome.filesComplete) + " of the backup's " +
                FilesText(outcome.filesTotal) + ".\n";
    }
    if (!outcome.cutOff.empty()) {
        text += outcome.cutOff + " is cut off on the logger: it could not be deleted.\n";
    } else if (!outcome.uploading.empty()) {
        text += outcome.uploading + " may be cut off on the logger.\n";
    }
    // The same backup would be refused the same way.
    if (outcome.ending == Ending::Refused) {
        text.pop_back();
        return text;
    }
    return text + "Restoring the same backup again puts it right.";
}

std::filesystem::path DefaultRestoreLockFolder() {
    const QString file =
        UserSettingsFile(QStringLiteral("Ortvel"), QStringLiteral("VantrelUtilities"));
    const QString folder =
        file.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Ortvel"
            : QFileInfo(file).path();
    return PathFromUtf8(folder.toStdString());
}

RestoreRecords::RestoreRecords(ISettings& store, std::filesystem::path lockFolder)
    : store_(store), lockFolder_(std::move(lockFolder)) {}

std::filesystem::path RestoreRecords::LockFileOf(const std::string& token) const {
    return lockFolder_ / PathFromUtf8("VantrelUtilities.restore-" + token + ".lock");
}

std::unique_ptr<LockFile> RestoreRecords::LockRecords() {
    std::error_code error;
    std::filesystem::create_directories(lockFolder_, error);
    const auto deadline = std::chrono::steady_clock::now() + kRecordsLockWait;
    for (;;) {
        auto lock = std::make_unique<LockFile>(lockFolder_ / PathFromUtf8(kRecordsLockName),
                                               LockFile::Open::CreateIfMissing);
        if (lock->Taken()) return lock;
        if (lock->state() != LockFile::State::HeldElsewhere ||
            std::chrono::steady_clock::now() > deadline) {
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::optional<RecordedRestore> RestoreRecords::Read(int slot) const {
    const std::string section = SectionOf(slot);
    const std::optional<Stage> stage = StageOf(store_.GetString(section, kStage, ""));
    if (!stage) return std::nullopt;
    RecordedRestore restore;
    restore.port = store_.GetString(section, kPort, "");
    restore.backup = store_.GetString(section, kBackup, "");
    RestoreOutcome& outcome = restore.outcome;
    outcome.stage = *stage;
    outcome.ending = EndingOf(store_.GetString(section, kEnding, ""));
    outcome.filesComplete = store_.GetInt(section, kComplete, 0);
    outcome.filesTotal = store_.GetInt(section, kTotal, 0);
    outcome.uploading = store_.GetString(section, kUploading, "");
    outcome.cutOff = store_.GetString(section, kCutOff, "");
    outcome.refusal = store_.GetString(section, kRefusal, "");
    outcome.refusedName = store_.GetString(section, kRefusedFile, "");
    return restore;
}

bool RestoreRecords::IsRunning(int slot) const {
    const std::string token = store_.GetString(SectionOf(slot), kLock, "");
    if (!IsToken(token)) return false;
    const LockFile probe(LockFileOf(token), LockFile::Open::OnlyExisting);
    return probe.state() == LockFile::State::HeldElsewhere;
}

void RestoreRecords::Remove(int slot) {
    const std::string section = SectionOf(slot);
    if (const std::string token = store_.GetString(section, kLock, ""); IsToken(token)) {
        std::error_code error;
        std::filesystem::remove(LockFileOf(token), error);
    }
    store_.RemoveSection(section);
}

std::string RestoreRecords::TakeNotices() {
    store_.Sync();  // what other processes saved since this store was read
    // Most starts find nothing, and then make no lock file either.
    bool anyRecord = HasOldRecord(store_);
    for (int slot = 1; slot <= kSlots && !anyRecord; ++slot) {
        anyRecord = store_.HasSection(SectionOf(slot));
    }
    if (!anyRecord) return {};
    const std::unique_ptr<LockFile> lock = LockRecords();
    // Told at a later start, when another process keeps the records too long.
    if (!lock) return {};
    store_.Sync();
    std::string notices = OldRecordNotice(store_);
    for (int slot = 1; slot <= kSlots; ++slot) {
        if (!store_.HasSection(SectionOf(slot)) || IsRunning(slot)) continue;
        // A record that cannot be read (a value of another type, a stage no restore
        // writes) has nothing true to tell: it goes without a word.
        if (const std::optional<RecordedRestore> restore = Read(slot)) {
            if (!notices.empty()) notices += "\n\n";
            notices += DescribeRecordedRestore(*restore);
        }
        Remove(slot);
    }
    // Removed for this run only where the store cannot be saved (a settings file left as it
    // is): the notices then say why they will come again.
    const bool saved = store_.Sync();
    if (!notices.empty() && !saved) {
        notices += "\n\nThis notice comes again at each start until the settings can be saved: " +
                   store_.Problem() + ".";
    }
    return notices;
}

RestoreRecording::RestoreRecording(RestoreRecords& records, std::string port, std::string backup,
                                   CLoggerOperations* operations)
    : records_(records),
      operations_(operations),
      port_(std::move(port)),
      backup_(std::move(backup)) {
    if (operations_ == nullptr) return;
    operations_->SetRestoreProgressSink([this](const RestoreOutcome& outcome) { Update(outcome); });
}

RestoreRecording::~RestoreRecording() {
    if (operations_ != nullptr) operations_->SetRestoreProgressSink(nullptr);
    Release();
}

bool RestoreRecording::Claim(const RestoreOutcome& outcome) {
    const std::unique_ptr<LockFile> guard = records_.LockRecords();
    if (!guard) return false;
    records_.store_.Sync();
    token_ = NewToken();
    lock_ =
        std::make_unique<LockFile>(records_.LockFileOf(token_), LockFile::Open::CreateIfMissing);
    if (!lock_->Taken()) {
        Release();
        return false;
    }
    int free = 0;
    for (int slot = 1; slot <= RestoreRecords::kSlots; ++slot) {
        if (records_.store_.HasSection(SectionOf(slot))) {
            // Taken, unless its restore no longer runs and either was on this port or left
            // a record that cannot be read.
            const std::optional<RecordedRestore> restore = records_.Read(slot);
            if (records_.IsRunning(slot) ||
                (restore && DevicePathOf(restore->port) != DevicePathOf(port_))) {
                continue;
            }
            records_.Remove(slot);
        }
        if (free == 0) free = slot;
    }
    if (free == 0) {
        Release();
        return false;
    }
    slot_ = free;
    // Saved before the guard goes, so that no other restore takes the same slot.
    Write(outcome);
    return true;
}

void RestoreRecording::Update(const RestoreOutcome& outcome) {
    if (outcome.stage == Stage::NotStarted) return;
    if (outcome.stage == Stage::Done) {
        if (slot_ == 0) return;
        records_.store_.RemoveSection(SectionOf(slot_));
        records_.store_.Sync();
        Release();
        return;
    }
    if (slot_ == 0) {
        Claim(outcome);
        return;
    }
    Write(outcome);
}

void RestoreRecording::Write(const RestoreOutcome& outcome) {
    ISettings& store = records_.store_;
    const std::string section = SectionOf(slot_);
    store.WriteString(section, kLock, token_);
    store.WriteString(section, kPort, port_);
    store.WriteString(section, kBackup, backup_);
    store.WriteString(section, kStage, StageWord(outcome.stage));
    store.WriteString(section, kEnding, EndingWord(outcome.ending));
    store.WriteInt(section, kComplete, outcome.filesComplete);
    store.WriteInt(section, kTotal, outcome.filesTotal);
    store.WriteString(section, kUploading, outcome.uploading);
    store.WriteString(section, kCutOff, outcome.cutOff);
    store.WriteString(section, kRefusal, outcome.refusal);
    store.WriteString(section, kRefusedFile, outcome.refusedName);
    store.Sync();
}

void RestoreRecording::Release() {
    slot_ = 0;
    if (!lock_) return;
    lock_.reset();
    std::error_code error;
    std::filesystem::remove(records_.LockFileOf(token_), error);
}

}  // namespace vantrel
