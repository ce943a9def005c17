// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

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

// The file a save replaces: `file`, or the end of its chain of symbolic links.
QFileInfo SavedFile(const QString& file) {
    QFileInfo info(file);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth) info.setFile(info.symLinkTarget());
    return info;
}

// Why reading `file` failed, for a store whose QSettings reported an error.
// Files are named as the platform writes paths (QSettings gives them with '/').
std::string ReadProblem(const QString& file) {
    QFile probe(file);
    const std::string name = QDir::toNativeSeparators(file).toStdString();
    if (!probe.open(QIODevice::ReadOnly)) {
        return name + ": it could not be read (" + probe.errorString().toStdString() + ")";
    }
    return name + ": it is not a settings file that can be read";
}

// Why saving `file` failed. QSettings tells only that it failed, so the steps of a save
// are repeated to find the one that fails: the folder is created, then a file of the
// settings file's size is written beside it, flushed and removed again.
std::string WriteProblem(const QString& file) {
    const QFileInfo saved = SavedFile(file);
    const QString folder = saved.absolutePath();
    const std::string name = QDir::toNativeSeparators(file).toStdString();
    std::error_code error;
    fs::create_directories(PathOf(folder), error);
    if (error) return name + ": " + error.message();
    if (saved.isDir()) return name + ": it is a folder";
    QTemporaryFile probe(folder + QStringLiteral("/.VantrelUtilities-XXXXXX"));
    if (!probe.open()) return name + ": " + probe.errorString().toStdString();
    const QByteArray bytes(saved.size() + 4096, '\n');
    if (probe.write(bytes) != bytes.size() || !probe.flush()) {
        return name + ": " + probe.errorString().toStdString();
    }
    return name + ": it could not be saved";
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
    // QSettings also reads the organisation's own file beside it.
    const QString organisationFile =
        file.isEmpty() ? QString() : QFileInfo(file).path() + QStringLiteral(".conf");
    Open(file, organisationFile,
         [] { return std::make_unique<QSettings>(kOrganisation, kApplication); });
}

QtSettings::QtSettings(const QString& iniFile) {
    Open(iniFile, {},
         [iniFile] { return std::make_unique<QSettings>(iniFile, QSettings::IniFormat); });
}

QtSettings::~QtSettings() = default;

void QtSettings::Open(const QString& file, const QString& alsoRead,
                      std::function<std::unique_ptr<QSettings>()> make) {
    file_ = file;
    make_ = std::move(make);
    for (const QString& checked : {file, alsoRead}) {
        if (checked.isEmpty()) continue;
        problem_ = SettingsFileRefusal(checked);
        if (!problem_.empty()) return;
    }
    std::unique_ptr<QSettings> store = make_();
    if (store->status() != QSettings::NoError) {
        // Saving would replace a file whose values were never read.
        problem_ = ReadProblem(store->fileName());
        return;
    }
    store_ = std::move(store);
}

int QtSettings::GetInt(std::string_view section, std::string_view name, int fallback) const {
    if (!store_) return unsaved_.GetInt(section, name, fallback);
    const QVariant value = store_->value(KeyOf(section, name));
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
    if (!store_) return unsaved_.GetString(section, name, fallback);
    const QVariant value = store_->value(KeyOf(section, name));
    if (!value.isValid()) return std::string(fallback);
    return value.toString().toStdString();
}

bool QtSettings::WriteString(std::string_view section, std::string_view name,
                             std::string_view value) {
    return Write(section, name, Text(value));
}

bool QtSettings::Write(std::string_view section, std::string_view name, const QVariant& value) {
    if (!store_) {
        // No stored text starts with this control character: it marks a missing value.
        const std::string text = value.toString().toStdString();
        if (unsaved_.GetString(section, name, "\x01") == text) return true;
        changedUnsaved_ = true;
        return unsaved_.WriteString(section, name, text);
    }
    // Setting a value to what it is would still mark the file for rewriting.
    const QString key = KeyOf(section, name);
    if (Holds(store_->value(key), value)) return true;
    store_->setValue(key, value);
    pending_.insert(key, value);
    // QSettings writes lazily; a failure shows only in its status.
    return store_->status() == QSettings::NoError;
}

bool QtSettings::RemoveSection(std::string_view section) {
    if (!store_) {
        changedUnsaved_ = true;
        return unsaved_.RemoveSection(section);
    }
    const QString group = Text(section);
    store_->beginGroup(group);
    const QStringList keys = store_->childKeys();
    store_->endGroup();
    if (keys.isEmpty()) return true;  // nothing to remove: the file is left alone
    // A removal waits among the pending values as an invalid one, to be done again on retry.
    for (const QString& key : keys) pending_.insert(group + '/' + key, QVariant());
    store_->remove(group);
    return store_->status() == QSettings::NoError;
}

bool QtSettings::Sync() {
    if (!store_) return !changedUnsaved_;
    if (store_->status() != QSettings::NoError) {
        // A save failed before: a new QSettings reads the file again and tries anew.
        store_.reset();
        store_ = make_();
        for (auto value = pending_.cbegin(); value != pending_.cend(); ++value) {
            if (value.value().isValid()) {
                store_->setValue(value.key(), value.value());
            } else {
                store_->remove(value.key());
            }
        }
    }
    store_->sync();
    if (store_->status() == QSettings::NoError) {
        pending_.clear();
        problem_.clear();
        return true;
    }
    problem_ = WriteProblem(store_->fileName());
    return false;
}

std::string QtSettings::Problem() const {
    return problem_;
}

}  // namespace vantrel
