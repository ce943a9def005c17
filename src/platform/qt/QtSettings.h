// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings store on QSettings: the organisation "Ortvel", the application
// "VantrelUtilities" (the registry key on Windows, an INI file under the user's config
// folder on Linux), with the store's sections as QSettings groups.
//
// The file is checked before QSettings reads it: a named pipe, a device, a folder or a
// socket (or a symbolic link to one) is never opened, and a file that cannot be read is
// never written over. Such a store is refused: it keeps its values in memory for this run,
// starting from the defaults, and Sync() fails with the reason. A symbolic link to a
// regular file is followed: the file it leads to is rewritten (atomically, the link stays),
// and only when a value really changed. Not thread-safe; one thread uses a store.

#include <QSettings>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/MemorySettings.h"
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

    bool Sync() override;
    std::string Problem() const override;

    // False when the file was refused when the store was opened (Problem() says why).
    bool Usable() const { return store_ != nullptr; }
    // The file the store reads and writes; empty where the store is the registry.
    const QString& FileName() const { return file_; }

private:
    // Checks `file` and `alsoRead` (a file QSettings reads besides), then opens the store
    // that `make` gives, unless a check or the reading failed.
    void Open(const QString& file, const QString& alsoRead,
              std::function<std::unique_ptr<QSettings>()> make);
    bool Write(std::string_view section, std::string_view name, const QVariant& value);

    QString file_;
    std::function<std::unique_ptr<QSettings>()> make_;
    std::unique_ptr<QSettings> store_;
    // What was written since the last save that succeeded, to write again into a new
    // QSettings: one that met an error keeps reporting it, even after a save that worked.
    QVariantMap pending_;
    // The values of a refused store, and whether any of them was changed.
    MemorySettings unsaved_;
    bool changedUnsaved_ = false;
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
