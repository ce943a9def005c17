// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a restore writes to the logger, what is checked before the logger is erased, and
// what the user is told when a restore ends early.

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class CVantrelArchive;

namespace texts {
inline constexpr const char* kRestoreWarning =
    "Restoring this backup will overwrite all your current vantrel settings and data\nAre you "
    "certain you wish to restore this backup to the vantrel ?";
inline constexpr const char* kRestoreWarningCaption = "Restore Warning";
inline constexpr const char* kRestoreIncompleteCaption = "Restore Incomplete";
}  // namespace texts

// One file a restore writes.
struct RestoreFile {
    std::string name;
    std::string_view content;  // hexadecimal text, a view into the archive
};

// The files of `archive` in upload order: the two soil tables, each profile's configuration
// and data file (generation-0 names), then the other files. Empty soil tables and profile
// texts are not written.
std::vector<RestoreFile> RestorePlan(const CVantrelArchive& archive);

// The restore question: the warning, then how many files the logger will receive.
std::string RestoreQuestion(const CVantrelArchive& archive);

// Why `archive` must not be restored, or empty when it may: a backup holding no logger
// file at all (a file of zeros loads as one) would only erase the logger, and a file name
// that a request cannot carry, or a content that is not pairs of hex digits, would fail
// after the erase.
std::string RestoreRefusal(const CVantrelArchive& archive);

// How far a restore got, and how it ended.
struct RestoreOutcome {
    enum class Stage { NotStarted, Erasing, Uploading, Done };
    // How a restore that did not complete ended. Running while it runs: a record of the
    // restore still saying so outlived a program that ended without a word (SIGKILL).
    enum class Ending { Running, Refused, Cancelled, LineBroken, ProgramEnded };
    Stage stage = Stage::NotStarted;
    Ending ending = Ending::Running;
    int filesTotal = 0;     // files of the backup
    int filesComplete = 0;  // written whole to the logger
    // The file being written to the logger; empty between files and once a failed upload
    // has been dealt with (deleted, or named in `cutOff`).
    std::string uploading{};
    std::string cutOff{};  // a file left cut off on the logger, when it could not be deleted
    // When the logger refused a request and so ended the restore: its answer ("Invalid
    // Filename") and the file the request named (empty for a listing).
    std::string refusal{};
    std::string refusedName{};
};

// For a restore that ended early after it began to change the logger: what the logger
// refused, what it now holds and, when repeating can help (a broken line, a cancel), how to
// put it right, one sentence a line. Empty otherwise. A refusal gets no such advice: the
// same backup would be refused the same way.
std::string DescribeRestoreOutcome(const RestoreOutcome& outcome);

}  // namespace vantrel
