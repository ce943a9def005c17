// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files another program holds open. A spreadsheet keeps the file it shows open without
// letting others read or replace it; virus scanners and indexers hold a new file for a
// moment. Windows programs therefore try a refused open or rename again for about a second
// before they give up, and then say that another program has the file.

#include <filesystem>
#include <functional>

namespace vantrel {

// Runs `attempt` (true on success, else false with GetLastError() set) until it succeeds,
// fails for another reason than a held file (a sharing, lock or access violation), or has
// been refused 10 times, 100 ms apart. Returns the last attempt's result, with its
// GetLastError() intact.
bool RetryWhileHeld(const std::function<bool()>& attempt);

// Whether another program has `path` open without letting it be read, written or deleted.
bool HeldByAnotherProgram(const std::filesystem::path& path);

// The pause between two refused attempts (`attempt` counts from 1); returns the one it
// replaces. For tests, which let a held file go at a known moment; nullptr restores the
// default pause.
using HeldFilePause = void (*)(int attempt);
HeldFilePause SetHeldFilePause(HeldFilePause pause);

}  // namespace vantrel
