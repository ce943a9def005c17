// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The backup file a command works on.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Command.h"
#include "data/VantrelArchive.h"
#include "ops/SiteHistory.h"

namespace vantrel::cli {

// Loads the backup; on failure prints the message the GUI would show ("Could not open
// backup for loading", "Could not open backup. Exception thrown in stored data") with the
// path to io.err and returns nullopt (the caller exits with kExitUsage).
std::optional<CVantrelArchive> LoadBackupArgument(const std::string& path, CommandIo& io);

// Loads the backups of a site's history, one after the other; on the first that fails prints
// its message and path as LoadBackupArgument does and returns nullopt (exit kExitUsage).
std::optional<SiteHistory> LoadHistoryArguments(const std::vector<std::string>& paths,
                                                CommandIo& io);

// The title of the backup in `folder` that `name` names or, when there is none, nothing
// after a message naming `command` and the folder on `err`.
std::optional<std::string> RequireBackupTitle(const std::string& folder, const std::string& name,
                                              std::string_view command, std::ostream& err);

}  // namespace vantrel::cli
