#include "VersionText.h"

#include <QString>
#include <QSysInfo>
#include <QtGlobal>

#include "Version.h"

namespace vantrel::cli {

std::string VersionText() {
    return std::string("vantrel ") + kVersion + " (" + kProgramName + "), Qt " + qVersion() + ", " +
           QSysInfo::prettyProductName().toStdString() + " " +
           QSysInfo::currentCpuArchitecture().toStdString();
}

}  // namespace vantrel::cli
