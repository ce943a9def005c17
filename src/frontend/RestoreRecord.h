// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The records of restores that did not complete, in the settings store, so that either
// program tells them at its next start, once, however the restore ended: refused, cancelled,
// cut off by the line, or with the program (SIGKILL included, as each record is saved while
// its restore runs). One section a record, "Restore 1" to "Restore 16": the port, the
// backup, how far the restore got, the file being uploaded and how it ended.
//
// A running restore holds a lock file that its record names, so that no other start takes
// it for cut off; the system drops the lock when the process ends. A completed restore
// removes its own record; one that reaches a logger replaces the records that earlier
// restores left for that port (it erases what they describe). The single record of earlier
// versions (section "LastRestore") is told once and removed; they never read the new ones.
// Owner thread only.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "frontend/LockFile.h"
#include "ops/LoggerOperations.h"
#include "ops/RestorePlan.h"
#include "platform/Settings.h"

namespace vantrel {

namespace settings {
// The record of earlier versions: the files written whole, and all of the backup's.
inline constexpr std::string_view kLastRestore = "LastRestore";
inline constexpr std::string_view kFilesComplete = "Complete";
inline constexpr std::string_view kFilesTotal = "Total";
}  // namespace settings

// A restore as its record keeps it.
struct RecordedRestore {
    std::string port;    // as the settings or --port named it
    std::string backup;  // the backup file
    RestoreOutcome outcome;
};

// What a start says of a restore that did not complete: which restore, how it ended, what
// the logger holds and which file may be cut off on it, and, where repeating can help (not
// after a refusal), how to put it right; one sentence a line.
std::string DescribeRecordedRestore(const RecordedRestore& restore);

// Where running restores keep their lock files: the folder of the user's settings file, or
// the user's local application data where the settings live in the registry.
std::filesystem::path DefaultRestoreLockFolder();

class RestoreRecords {
public:
    static constexpr int kSlots = 16;

    // `lockFolder` is created when a restore first needs it.
    explicit RestoreRecords(ISettings& store,
                            std::filesystem::path lockFolder = DefaultRestoreLockFolder());

    // The notices (DescribeRecordedRestore) of the recorded restores that no longer run, a
    // blank line between two; their records are removed, so each is told once. A record
    // that cannot be read (spoilt by hand: a stage no restore writes, a value of another
    // type) is removed untold. Where the store cannot be saved (a settings file left as it
    // is), they are removed for this run only, and a last paragraph says that they come
    // again at each start, and why. Empty when there is none.
    std::string TakeNotices();

    // The record in `slot` (1 to kSlots), when there is one; for tests and tools.
    std::optional<RecordedRestore> Read(int slot) const;

private:
    friend class RestoreRecording;

    // Waits a little for the lock that makes looking at the records and taking one a
    // single step among processes; null when it could not be had.
    std::unique_ptr<LockFile> LockRecords();
    // True while the process that wrote the record of `slot` still runs its restore.
    bool IsRunning(int slot) const;
    // Removes the record of `slot` and the lock file it names.
    void Remove(int slot);
    std::filesystem::path LockFileOf(const std::string& token) const;

    ISettings& store_;
    std::filesystem::path lockFolder_;
};

// Records one restore, of `backup` to `port`, for its lifetime: each outcome given to
// Update (the restore progress of `operations`, when given) is written to the store and
// saved at once, from the moment the restore reaches the logger, while a lock tells other
// processes that it runs. A restore with no free slot (or whose lock file cannot be made)
// goes unrecorded.
class RestoreRecording {
public:
    RestoreRecording(RestoreRecords& records, std::string port, std::string backup,
                     CLoggerOperations* operations = nullptr);
    // Detaches from `operations` and releases the lock: the record of a restore that did
    // not complete stays for the next start.
    ~RestoreRecording();
    RestoreRecording(const RestoreRecording&) = delete;
    RestoreRecording& operator=(const RestoreRecording&) = delete;

    void Update(const RestoreOutcome& outcome);

private:
    // Takes a free slot, first removing the records left for this port, and saves the
    // record of `outcome` in it.
    bool Claim(const RestoreOutcome& outcome);
    // Writes the record and saves it.
    void Write(const RestoreOutcome& outcome);
    void Release();

    RestoreRecords& records_;
    CLoggerOperations* operations_;
    std::string port_;
    std::string backup_;
    int slot_ = 0;  // 0: none taken
    std::string token_;
    std::unique_ptr<LockFile> lock_;
};

}  // namespace vantrel
