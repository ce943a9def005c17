#pragma once
// The backup file a command works on.

#include <optional>
#include <string>

#include "Command.h"
#include "VantrelArchive.h"

namespace vantrel::cli {

// Loads the backup; on failure prints the message the GUI would show ("Could not open
// backup for loading", "Could not open backup. Exception thrown in stored data") with the
// path to io.err and returns nullopt (the caller exits with kExitUsage).
std::optional<CVantrelArchive> LoadBackupArgument(const std::string& path, CommandIo& io);

}  // namespace vantrel::cli
