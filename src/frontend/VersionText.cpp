// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/VersionText.h"

#include <QString>
#include <QSysInfo>
#include <QtGlobal>

#include "platform/Version.h"

namespace vantrel {
namespace {
constexpr const char* kLicense = "GPL-3.0-or-later";
}  // namespace

std::string_view ProgramVersion() {
    return kVersion;
}

std::string VersionText(std::string_view program) {
    return std::string(program) + " " + kVersion + " (" + kProgramName + "), Qt " + qVersion() +
           ", " + QSysInfo::prettyProductName().toStdString() + " " +
           QSysInfo::currentCpuArchitecture().toStdString() + "\nLicense: " + kLicense;
}

}  // namespace vantrel
