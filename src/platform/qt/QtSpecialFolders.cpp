// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtSpecialFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace vantrel {

namespace {
// A folder that is not there (a server without ~/Documents) cannot be had either: the
// caller then falls back to the current directory instead of a path nobody can write to.
std::optional<std::filesystem::path> Location(QStandardPaths::StandardLocation location) {
    const QString folder = QStandardPaths::writableLocation(location);
    if (folder.isEmpty()) return std::nullopt;
    // Qt writes '/' on every system: the path takes the platform's separators, and its
    // characters from UTF-16 (never through a narrow string in the ANSI code page).
    const std::filesystem::path path(QDir::toNativeSeparators(folder).toStdU16String());
    std::error_code error;
    if (!std::filesystem::is_directory(path, error)) return std::nullopt;
    return path;
}
}  // namespace

std::optional<std::filesystem::path> QtSpecialFolders::Documents() const {
    return Location(QStandardPaths::DocumentsLocation);
}

std::optional<std::filesystem::path> QtSpecialFolders::Desktop() const {
    return Location(QStandardPaths::DesktopLocation);
}

}  // namespace vantrel
