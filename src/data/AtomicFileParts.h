// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Internal to the whole-file writer: what its shared part (AtomicFile.cpp) and its platform
// halves (posix/ and win32/AtomicFile.cpp) give each other. Not for use outside them.

#include <filesystem>
#include <random>
#include <string>
#include <string_view>

namespace vantrel::atomic_file {

// Hidden temporary names: ".vantrel-<writer's pid>-<name>-XXXXXX.tmp".
inline constexpr std::string_view kTempPrefix = ".vantrel-";
inline constexpr std::string_view kTempSuffix = ".tmp";

std::filesystem::path FolderOrCurrent(const std::filesystem::path& folder);

// Throws std::system_error for the errno value `error`, with `what` as its text.
[[noreturn]] void ThrowErrno(int error, const std::string& what);

// A hidden temporary name (UTF-8) in `folder` for a file that will be called `name`, ending
// in "XXXXXX.tmp". A long name is shortened, so that the temporary name stays within the
// file system's limit whenever the final name does.
std::string TempPattern(const std::filesystem::path& folder, const std::string& name);

// The same with six random characters in place of the Xs, not created.
std::string RandomTempName(const std::filesystem::path& folder, const std::string& name,
                           std::random_device& random);

// Platform halves.
long CurrentProcessId();
bool ProcessGone(long pid);  // also for pids that cannot be real (0 or less)

// What the sweep did with a hidden temporary file of ours.
enum class TempFileState {
    Removed,     // no writer held it: removed (or already gone)
    Held,        // a live writer holds it: left alone
    CannotTell,  // the file system cannot say (no locks there): left for the age rule
};
// Removes the temporary file `path` unless its writer is alive, which it tells by what a
// live writer holds: a lock on the file (POSIX), an open handle that refuses deletion
// (Windows).
TempFileState RemoveUnlessHeld(const std::filesystem::path& path);
// The permission bits of a new file (0 where the file system keeps none).
unsigned NewFileMode();
// The permission bits the file replacing `path` gets; refuses (std::system_error) a target
// that is not a regular file, or one that could not be opened for writing.
unsigned ModeFor(const std::filesystem::path& path);

}  // namespace vantrel::atomic_file
