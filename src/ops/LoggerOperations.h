#pragma once
// The backup, restore and erase operations on a connected logger. They run on the thread
// that owns the link engine and report to the page (or progress printer) that started
// them through the engine's notifications; what they ask or tell the user goes through
// the prompt seam.

#include <filesystem>

#include "LinkEngine.h"
#include "VantrelArchive.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"

namespace vantrel {

class CLoggerOperations {
public:
    // `linkSettings`: the port and baud rate to open (from the settings store, or the
    // front end's one-run overrides).
    CLoggerOperations(CLinkEngine& engine, IPrompt& prompt, LinkSettings linkSettings);

    // Copies the whole file system of the logger into the backup file at `path`.
    // Returns 1 when the backup file was written, 0 otherwise. The file is written to a
    // temporary file in the same folder and renamed into place, so a failed or interrupted
    // backup never leaves a file under `path`.
    int BackupLogger(INotificationTarget* page, const std::filesystem::path& path);

    // Erases the logger (but "QUILON.CFG00") and writes the files of `archive` to it.
    // Returns 1 when every upload succeeded.
    int RestoreLogger(INotificationTarget* page, const CVantrelArchive& archive);

    // Deletes every file of the logger except "QUILON.CFG00"; the link must be open.
    int EraseFileSystem();

    // The backup document built by the last BackupLogger (for tests and tools).
    const CVantrelArchive* LastBackup() const;

private:
    // (members chosen by the implementer)
};

}  // namespace vantrel
