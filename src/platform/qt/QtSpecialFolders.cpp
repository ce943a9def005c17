#include "QtSpecialFolders.h"

#include <QStandardPaths>

namespace vantrel {

namespace {
std::optional<std::filesystem::path> Location(QStandardPaths::StandardLocation location) {
    const QString folder = QStandardPaths::writableLocation(location);
    if (folder.isEmpty()) return std::nullopt;
    return std::filesystem::path(folder.toStdString());
}
}  // namespace

std::optional<std::filesystem::path> QtSpecialFolders::Documents() const {
    return Location(QStandardPaths::DocumentsLocation);
}

std::optional<std::filesystem::path> QtSpecialFolders::Desktop() const {
    return Location(QStandardPaths::DesktopLocation);
}

}  // namespace vantrel
