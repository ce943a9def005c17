// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user's settings store as the tool uses it: QSettings("Ortvel", "VantrelUtilities"),
// the start-up writes, and the one-run overrides given on the command line.

#include <ostream>
#include <string>

#include "cli/ArgParser.h"
#include "link/LinkEngine.h"
#include "platform/qt/QtSettings.h"
#include "platform/qt/QtSpecialFolders.h"

namespace vantrel::cli {

class ToolSettings {
public:
    // Opens the store and does the start-up writes ("Home Directory", "CommsTimeOut",
    // "CommsAttempts"), saved at once. Throws std::runtime_error naming the file and the
    // reason when the settings file is refused (a named pipe, a device, a folder, or a link
    // to one; unreadable) or the start-up writes could not be saved. A file left as it is
    // (a line a save would lose) is said on `err`, and the command goes on with its values.
    explicit ToolSettings(std::ostream& err);

    ISettings& store() { return store_; }
    const ISettings& store() const { return store_; }
    const ISpecialFolders& folders() const { return folders_; }

    // --folder, else the stored backup folder (its default: documents, else the current
    // directory).
    std::string BackupFolder(const ParsedArgs& args) const;
    // The stored "Port" and "Baud Rate" with --port and --baud applied; throws UsageError
    // for a bad --baud.
    LinkSettings Link(const ParsedArgs& args) const;

    // Writes what is pending to disk; false when the store could not be written.
    bool Sync() { return store_.Sync(); }
    // Why the last Sync() failed: the file and the reason.
    std::string Problem() const { return store_.Problem(); }

private:
    QtSettings store_;
    QtSpecialFolders folders_;
};

}  // namespace vantrel::cli
