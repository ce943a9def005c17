// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record of a restore that did not end: section "LastRestore" of the settings store,
// "Complete" and "Total" (the backup's files written whole to the logger, and all of
// them). It is written while the restore runs, so that it tells the truth however the
// program ended (a cancel, a signal, the end of the session, even SIGKILL), and removed
// when a restore completes. Either front end shows it once at its next start.

#include <string>
#include <string_view>

#include "ops/RestorePlan.h"
#include "platform/Settings.h"

namespace vantrel {

namespace settings {
inline constexpr std::string_view kLastRestore = "LastRestore";
inline constexpr std::string_view kFilesComplete = "Complete";
inline constexpr std::string_view kFilesTotal = "Total";
}  // namespace settings

// Keeps the record up to date with `outcome` (CLoggerOperations' restore progress) and
// writes it to storage at once: a restore under way or ended early is recorded, a
// completed one removes the record, and one that never reached the logger leaves an
// earlier record as it is (the logger still holds what that restore left).
void RecordRestoreProgress(ISettings& store, const RestoreOutcome& outcome);

// "The last restore was cut off; the logger holds N of M files." with how to put it
// right, when the record holds one; the record is removed, so the text is given once.
// Empty when there is no record.
std::string TakeCutOffRestoreNotice(ISettings& store);

}  // namespace vantrel
