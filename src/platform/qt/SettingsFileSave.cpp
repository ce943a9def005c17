// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/SettingsFileSave.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <filesystem>
#include <system_error>

#include "base/RaceMarks.h"
#include "data/AtomicFile.h"
#include "platform/qt/SettingsText.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

using Outcome = SettingsFileSave::Outcome;

fs::path PathOf(const QString& file) {
    return fs::path(file.toStdU16String());
}

SettingsFileSave Failure(std::string reason) {
    SettingsFileSave save;
    save.outcome = Outcome::Failed;
    save.reason = std::move(reason);
    return save;
}

// Why replacing `file` failed, in the words of the settings' messages.
std::string WriteFailure(const std::system_error& error, const QFileInfo& file) {
    if (error.code() == std::errc::permission_denied && file.exists() && !file.isWritable()) {
        return "it is read-only";
    }
    if (error.code() == std::errc::operation_not_permitted) {
        return "its owner and group could not be kept (" + error.code().message() + ")";
    }
    return error.code().message();
}

}  // namespace

QString SavedSettingsFile(const QString& file) {
    QFileInfo info(file);
    for (int depth = 0; depth < 40 && info.isSymbolicLink(); ++depth) {
        info.setFile(info.symLinkTarget());
    }
    return info.absoluteFilePath();
}

SettingsFileSave SaveSettingsFile(const QString& file, const QVariantMap& changes) {
    QFileInfo target(SavedSettingsFile(file));
    std::error_code error;
    fs::create_directories(PathOf(target.absolutePath()), error);
    if (error) return Failure(error.message());

    QLockFile lock(target.absoluteFilePath() + QStringLiteral(".lock"));
    if (!lock.tryLock(0) && lock.error() == QLockFile::LockFailedError) {
        // Another writer holds it (tests meet their race here).
        race_marks::Mark("settings-waiting");
        lock.lock();
    }
    // A lock file that cannot be made (a folder that cannot be written): the write below
    // fails too, and says why.
    target.refresh();  // as it is under the lock

    QByteArray text;
    if (target.exists()) {
        if (!target.isFile()) return Failure("it is not a regular file");
        QFile read(target.absoluteFilePath());
        if (!read.open(QIODevice::ReadOnly)) {
            return Failure("it could not be read (" + read.errorString().toStdString() + ")");
        }
        text = read.readAll();
    }
    race_marks::MeetAt("settings-read", {"settings-waiting", "settings-read"});

    const SettingsRewrite rewrite = RewriteSettingsText(text, changes);
    if (!rewrite.error.empty()) return Failure(rewrite.error);
    SettingsFileSave save;
    save.values = rewrite.values;
    if (!rewrite.lost.empty()) {
        save.outcome = Outcome::LeftAsItIs;
        save.reason = rewrite.lost;
        return save;
    }
    save.outcome = Outcome::Saved;
    if (target.exists() && rewrite.text == text) return save;
    // Marked read-only by its owner: not written, even by a writer that could (root).
    if (target.exists() && !target.permission(QFileDevice::WriteOwner)) {
        return Failure("it is read-only");
    }
    try {
        WriteFileAtomically(PathOf(target.absoluteFilePath()),
                            std::string_view(rewrite.text.constData(),
                                             static_cast<std::size_t>(rewrite.text.size())),
                            ReplacedOwner::Kept);
    } catch (const std::system_error& failure) {
        return Failure(WriteFailure(failure, target));
    }
    return save;
}

}  // namespace vantrel
