// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A settings file's text as QSettings reads and writes it (its INI format). QSettings reads
// what it can of a file, and a save writes back only what it read, spelled its own way: a
// line it cannot read, a comment or a blank line typed by the user is gone after the first
// save. So before a file is saved, its text is put through QSettings on a private copy, and
// a file that would lose a line by that is left as it is.
//
// What a save would lose is found in two steps:
//  - a line QSettings reports it cannot read (text without "=", a section name without
//    "]"): `line 3 ("hello world") is not a setting`;
//  - otherwise the file's lines are compared with what QSettings writes back for its values
//    unchanged. A setting's line may be spelled anew ("Default Path" becomes
//    "Default%20Path") and move within its section (QSettings sorts them), and QSettings may
//    add a blank line before a section and a "[General]" heading for values above the first
//    section. Any other line it would not write back is lost: a comment (";" or "#" at its
//    start, or ";" after a value, which QSettings reads as the value's end), a blank line
//    elsewhere, a section named twice, a value set twice or continued on the next line.
//    A file of blank lines only holds nothing to lose.

#include <QByteArray>
#include <QVariantMap>
#include <string>

namespace vantrel {

struct SettingsRewrite {
    // Every value QSettings reads from the text ("Section/Name"), with the changes made
    // unless the text would lose a line.
    QVariantMap values;
    // What a save would lose, in words for the user; empty when the text may be saved.
    std::string lost;
    // The text QSettings writes with the changes made; the text itself when it would lose a
    // line or nothing changed.
    QByteArray text;
    // Why the text could not be put through QSettings (its temporary copy failed).
    std::string error;
};

// What QSettings makes of the settings text `text` with `changes` made ("Section/Name" to
// its value; an invalid value removes the value).
SettingsRewrite RewriteSettingsText(const QByteArray& text, const QVariantMap& changes);

}  // namespace vantrel
