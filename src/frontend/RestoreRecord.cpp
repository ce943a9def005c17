// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/RestoreRecord.h"

namespace vantrel {

using namespace settings;

void RecordRestoreProgress(ISettings& store, const RestoreOutcome& outcome) {
    using Stage = RestoreOutcome::Stage;
    switch (outcome.stage) {
        case Stage::NotStarted:
            return;
        case Stage::Done:
            store.RemoveSection(kLastRestore);
            break;
        case Stage::Erasing:
        case Stage::Uploading:
            store.WriteInt(kLastRestore, kFilesComplete, outcome.filesComplete);
            store.WriteInt(kLastRestore, kFilesTotal, outcome.filesTotal);
            break;
    }
    store.Sync();
}

std::string TakeCutOffRestoreNotice(ISettings& store) {
    const int total = store.GetInt(kLastRestore, kFilesTotal, -1);
    const int complete = store.GetInt(kLastRestore, kFilesComplete, -1);
    if (total < 0 && complete < 0) return {};
    store.RemoveSection(kLastRestore);
    store.Sync();
    // A record spoilt by hand still says that a restore was cut off.
    if (total <= 0 || complete < 0 || complete >= total) {
        return "The last restore was cut off; the logger may not hold all of its files.\n"
               "Restoring the backup again puts it right.";
    }
    return "The last restore was cut off; the logger holds " + std::to_string(complete) + " of " +
           std::to_string(total) + " files.\nRestoring the same backup again puts it right.";
}

}  // namespace vantrel
