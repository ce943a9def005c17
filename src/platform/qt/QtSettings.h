// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings store on QSettings: the organisation "Ortvel", the application
// "VantrelUtilities" (the registry key on Windows, an INI file under the user's config
// folder on Linux), with the store's sections as QSettings groups.
//
// The file is checked before it is read: a named pipe, a device, a folder or a socket (or a
// symbolic link to one) is never opened, and a file that cannot be read is never written
// over. Such a store is refused: it keeps its values in memory for this run, starting from
// the defaults, and Sync() fails with the reason.
//
// A file is read in full and put through QSettings on a private copy (SettingsText.h); a
// file that a save would make lose a line (a line that is not a setting, a comment, a blank
// line of the user's) is left as it is: its values are used, values written are kept for
// this run, and saving them is refused, saying which line, until the file is mended.
//
// A save writes only the values this store changed: under a lock file beside the file that
// is written (the end of a chain of symbolic links; the links stay), it reads that file
// again, merges the changes into it and replaces it whole, with its owner, group and
// permission bits, and only when its text changes. Writers through different links to one
// file so take turns, and one keeps the values another saved. Not thread-safe; one thread
// uses a store.

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Settings.h"

namespace vantrel {

class QtSettings final : public ISettings {
public:
    // The user's store of the program.
    QtSettings();
    // A store in the INI file at `iniFile` (tests, portable installs).
    explicit QtSettings(const QString& iniFile);
    ~QtSettings() override;

    // A missing value, or one that is not a number, reads as `fallback`.
    int GetInt(std::string_view section, std::string_view name, int fallback) const override;
    bool WriteInt(std::string_view section, std::string_view name, int value) override;
    std::string GetString(std::string_view section, std::string_view name,
                          std::string_view fallback) const override;
    bool WriteString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    bool RemoveSection(std::string_view section) override;
    bool HasSection(std::string_view section) const override;

    // Saves the values written since the last save. When that fails (the file refused, left
    // as it is, or not written), they stay in effect for this run and are tried again at the
    // next Sync(); a file left as it is is read and checked again then.
    bool Sync() override;
    std::string Problem() const override;

    // False when the file was refused when the store was opened (Problem() says why).
    bool Usable() const { return refused_.empty(); }
    // Why the file is left as it is, for Problem(): "it is left as it is, because line 3
    // (\"hello world\") is not a setting"; empty when it may be saved.
    const std::string& LeftAsItIs() const { return leftAsItIs_; }
    // What both programs say once at start about a file left as it is: "the settings file
    // <file> is left as it is, because ...; ..."; empty when it is not.
    std::string LeftAsItIsNotice() const;
    // The file the store reads and writes; empty where the store is the registry.
    const QString& FileName() const { return file_; }

private:
    // Checks `file` and `alsoRead` (a file QSettings reads besides), then reads the file;
    // false when the store is refused.
    bool Open(const QString& file, const QString& alsoRead);
    QVariant Value(const QString& key) const;
    // The keys of `section` that hold a value: written in this run, or stored and not
    // removed since (readable or not).
    QStringList KeysOf(std::string_view section) const;
    bool Write(std::string_view section, std::string_view name, const QVariant& value);
    bool SaveToRegistry();
    bool SaveToFile();

    QString file_;
    // Where settings live in the registry (file_ empty): the key, and how to open it anew.
    std::unique_ptr<QSettings> registry_;
    std::function<std::unique_ptr<QSettings>()> make_;
    // For the user's file: the files QSettings falls back on for values it lacks.
    std::vector<std::unique_ptr<QSettings>> fallbacks_;
    // What the file held when it was last read or saved.
    QVariantMap fileValues_;
    // What this run wrote and is not saved yet (an invalid value: removed), over what was
    // read.
    QVariantMap unsaved_;
    std::string refused_;
    std::string leftAsItIs_;
    std::string problem_;
};

// The file QSettings uses for a user's settings of `application` by `organisation`; empty
// where settings live in the registry.
QString UserSettingsFile(const QString& organisation, const QString& application);

// Why `file` must not be opened as a settings file: "<file>: it is a named pipe (FIFO), not
// a regular file", or for a symbolic link whose final target is no regular file, or that
// cannot be followed. Empty for a regular file, a missing one, and a link to either.
std::string SettingsFileRefusal(const QString& file);

}  // namespace vantrel
