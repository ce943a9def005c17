// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Saving values into a settings file written by others too (the other program, a second
// run of the tool, a user's editor): only the values changed here, into the file as it is
// at that moment.

#include <QString>
#include <QVariantMap>
#include <string>

namespace vantrel {

struct SettingsFileSave {
    enum class Outcome {
        Saved,       // the file holds the changes (rewritten, or it held them already)
        LeftAsItIs,  // a save would lose a line of the file: nothing was written
        Failed,      // nothing was written
    };
    Outcome outcome = Outcome::Failed;
    // What the file holds now (Saved, LeftAsItIs: what it held).
    QVariantMap values;
    // LeftAsItIs: what a save would lose ("line 3 (...) is not a setting"); Failed: why
    // ("No space left on device", "it is read-only").
    std::string reason;
};

// Saves `changes` ("Section/Name" to its value; an invalid value removes the value) into
// the settings file `file`. The file written is the end of `file`'s chain of symbolic links
// (created with its folder when missing). Under a lock file beside it (taken in turn with
// any other writer of ours, whatever link it came through), the file is read again and the
// changes merged into what it holds; a file whose owner may not write it is read-only, and
// the file is replaced whole with its owner, group and permission bits (see
// WriteFileAtomically), only when its text changes. A file that cannot be read is not
// written.
SettingsFileSave SaveSettingsFile(const QString& file, const QVariantMap& changes);

// The file a save of `file` writes: `file`, or the end of its chain of symbolic links
// (also a link that leads nowhere: the save creates the file it names).
QString SavedSettingsFile(const QString& file);

}  // namespace vantrel
