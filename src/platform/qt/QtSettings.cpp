// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

#include "platform/qt/RegistryValue.h"
#include "platform/qt/SettingsFileSave.h"
#include "platform/qt/SettingsText.h"

namespace vantrel {

namespace {

namespace fs = std::filesystem;

const QString kOrganisation = QStringLiteral("Ortvel");
const QString kApplication = QStringLiteral("VantrelUtilities");

// "Settings" + "Port" -> "Settings/Port": the value inside its section's group.
QString KeyOf(std::string_view section, std::string_view name) {
    return QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())) + '/' +
           QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

fs::path PathOf(const QString& file) {
    return fs::path(file.toStdU16String());
}

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The value as it reads back from the file: a text or a number; anything else (a list
// read from an unquoted "a, b") never equals a value written here.
bool Holds(const QVariant& current, const QVariant& wanted) {
    const int type = current.typeId();
    if (type != QMetaType::QString && type != QMetaType::Int) return false;
    return current.toString() == wanted.toString();
}

std::string KindOf(fs::file_type type) {
    switch (type) {
        case fs::file_type::directory:
            return "a folder";
        case fs::file_type::fifo:
            return "a named pipe (FIFO)";
        case fs::file_type::character:
        case fs::file_type::block:
            return "a device";
        case fs::file_type::socket:
            return "a socket";
        default:
            return "something other than a file";
    }
}

// The file named as the platform writes paths (QSettings gives them with '/').
std::string NameOf(const QString& file) {
    return QDir::toNativeSeparators(file).toStdString();
}

}  // namespace

QString UserSettingsFile(const QString& organisation, const QString& application) {
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    // The registry, or the property lists of the system: no file of ours to check.
    Q_UNUSED(organisation);
    Q_UNUSED(application);
    return {};
#else
    // Where QSettings puts the user's INI files on systems with XDG folders.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' +
           organisation + '/' + application + QStringLiteral(".conf");
#endif
}

std::string SettingsFileRefusal(const QString& file) {
    const fs::path path = PathOf(file);
    std::error_code error;
    const fs::file_status own = fs::symlink_status(path, error);
    // A missing file is created by the first save; a folder that cannot be searched shows
    // in the store's status.
    if (error || own.type() == fs::file_type::not_found || own.type() == fs::file_type::regular) {
        return {};
    }
    const std::string name = file.toStdString();
    if (own.type() != fs::file_type::symlink) {
        return name + ": it is " + KindOf(own.type()) + ", not a regular file";
    }
    const fs::file_status target = fs::status(path, error);
    if (error && target.type() != fs::file_type::not_found) {
        return name + ": it is a symbolic link that cannot be followed (" + error.message() + ")";
    }
    // A link to nothing: the save creates the file it names.
    if (target.type() == fs::file_type::not_found || target.type() == fs::file_type::regular) {
        return {};
    }
    const fs::path end = fs::canonical(path, error);
    return name + ": it is a symbolic link to " + (error ? std::string("") : Utf8(end) + ", ") +
           KindOf(target.type()) + ", not a regular file";
}

QtSettings::QtSettings() {
    const QString file = UserSettingsFile(kOrganisation, kApplication);
    if (file.isEmpty()) {
        make_ = [] { return std::make_unique<QSettings>(kOrganisation, kApplication); };
        registry_ = make_();
        return;
    }
    // QSettings also reads the organisation's own file beside it.
    if (!Open(file, QFileInfo(file).path() + QStringLiteral(".conf"))) return;
    // The files QSettings falls back on for values the user's file lacks: the
    // organisation's, then the system's for the program and for the organisation.
    const auto fallback = [](QSettings::Scope scope, const QString& application) {
        auto store =
            std::make_unique<QSettings>(QSettings::NativeFormat, scope, kOrganisation, application);
        store->setFallbacksEnabled(false);
        return store;
    };
    fallbacks_.push_back(fallback(QSettings::UserScope, {}));
    fallbacks_.push_back(fallback(QSettings::SystemScope, kApplication));
    fallbacks_.push_back(fallback(QSettings::SystemScope, {}));
}

QtSettings::QtSettings(const QString& iniFile) {
    Open(iniFile, {});
}

QtSettings::~QtSettings() = default;

bool QtSettings::Open(const QString& file, const QString& alsoRead) {
    file_ = file;
    for (const QString& checked : {file, alsoRead}) {
        if (checked.isEmpty()) continue;
        refused_ = SettingsFileRefusal(checked);
        if (!refused_.empty()) {
            problem_ = refused_;
            return false;
        }
    }
    QFile input(file_);
    QByteArray text;
    if (input.exists()) {
        if (!input.open(QIODevice::ReadOnly)) {
            // Saving would replace a file whose values were never read.
            refused_ = problem_ = NameOf(file_) + ": it could not be read (" +
                                  input.errorString().toStdString() + ")";
            return false;
        }
        text = input.readAll();
    }
    SettingsRewrite read = RewriteSettingsText(text, {});
    if (!read.error.empty()) {
        refused_ = problem_ = NameOf(file_) + ": " + read.error;
        return false;
    }
    fileValues_ = std::move(read.values);
    if (!read.lost.empty()) leftAsItIs_ = "it is left as it is, because " + read.lost;
    return true;
}

QVariant QtSettings::Value(const QString& key) const {
    if (const auto written = unsaved_.constFind(key); written != unsaved_.cend()) {
        return written.value();
    }
    if (registry_) return ReadRegistryValue(*registry_, key);
    if (!refused_.empty()) return {};
    if (const auto held = fileValues_.constFind(key); held != fileValues_.cend()) {
        return held.value();
    }
    for (const auto& fallback : fallbacks_) {
        if (QVariant value = fallback->value(key); value.isValid()) return value;
    }
    return {};
}

int QtSettings::GetInt(std::string_view section, std::string_view name, int fallback) const {
    const QVariant value = Value(KeyOf(section, name));
    if (!value.isValid()) return fallback;
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : fallback;
}

bool QtSettings::WriteInt(std::string_view section, std::string_view name, int value) {
    return Write(section, name, value);
}

std::string QtSettings::GetString(std::string_view section, std::string_view name,
                                  std::string_view fallback) const {
    const QVariant value = Value(KeyOf(section, name));
    if (!value.isValid()) return std::string(fallback);
    return value.toString().toStdString();
}

bool QtSettings::WriteString(std::string_view section, std::string_view name,
                             std::string_view value) {
    return Write(section, name, Text(value));
}

bool QtSettings::Write(std::string_view section, std::string_view name, const QVariant& value) {
    // Setting a value to what it is would still mark the file for rewriting.
    const QString key = KeyOf(section, name);
    if (Holds(Value(key), value)) return true;
    unsaved_.insert(key, value);
    return true;  // a failure shows at Sync()
}

QStringList QtSettings::KeysOf(std::string_view section) const {
    const QString prefix = Text(section) + '/';
    const auto inSection = [&prefix](const QString& key) {
        return key.startsWith(prefix) && key.indexOf('/', prefix.size()) < 0;
    };
    QStringList keys;
    for (auto value = unsaved_.cbegin(); value != unsaved_.cend(); ++value) {
        if (value.value().isValid() && inSection(value.key())) keys.append(value.key());
    }
    if (!refused_.empty()) return keys;
    // A stored value of a type the store does not read is there all the same.
    for (const QString& key : registry_ ? registry_->allKeys() : fileValues_.keys()) {
        if (inSection(key) && !unsaved_.contains(key)) keys.append(key);
    }
    return keys;
}

bool QtSettings::RemoveSection(std::string_view section) {
    // A removal waits among the values as an invalid one; nothing to remove leaves the file
    // alone.
    for (const QString& key : KeysOf(section)) unsaved_.insert(key, QVariant());
    return true;
}

bool QtSettings::HasSection(std::string_view section) const {
    return !KeysOf(section).isEmpty();
}

bool QtSettings::Sync() {
    if (unsaved_.isEmpty()) return true;
    if (!refused_.empty()) return false;
    return registry_ ? SaveToRegistry() : SaveToFile();
}

bool QtSettings::SaveToRegistry() {
    for (auto value = unsaved_.cbegin(); value != unsaved_.cend(); ++value) {
        if (value.value().isValid()) {
            registry_->setValue(value.key(), value.value());
        } else {
            registry_->remove(value.key());
        }
    }
    registry_->sync();
    if (registry_->status() != QSettings::NoError) {
        // A QSettings that met an error keeps reporting it: a new one tries anew next time.
        registry_ = make_();
        problem_ = NameOf(registry_->fileName()) + ": it could not be saved";
        return false;
    }
    unsaved_.clear();
    problem_.clear();
    return true;
}

bool QtSettings::SaveToFile() {
    const SettingsFileSave save = SaveSettingsFile(file_, unsaved_);
    switch (save.outcome) {
        case SettingsFileSave::Outcome::Saved:
            fileValues_ = save.values;
            unsaved_.clear();
            leftAsItIs_.clear();
            problem_.clear();
            return true;
        case SettingsFileSave::Outcome::LeftAsItIs:
            // Tried again at the next save: the user may mend the file meanwhile.
            fileValues_ = save.values;
            leftAsItIs_ = "it is left as it is, because " + save.reason;
            problem_ = NameOf(file_) + ": " + leftAsItIs_;
            return false;
        case SettingsFileSave::Outcome::Failed:
            break;
    }
    problem_ = NameOf(file_) + ": " + save.reason;
    return false;
}

std::string QtSettings::Problem() const {
    return problem_;
}

std::string QtSettings::LeftAsItIsNotice() const {
    if (leftAsItIs_.empty()) return {};
    return "the settings file " + NameOf(file_) + " is " +
           leftAsItIs_.substr(std::string_view("it is ").size()) +
           "; the settings it holds are used, and changes are not saved";
}

}  // namespace vantrel
