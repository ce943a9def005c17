// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/seams/QtDiagnosticLog.h"

#include <QString>

Q_LOGGING_CATEGORY(lcVantrelLink, "vantrel.link", QtWarningMsg)

namespace vantrel::app {

void QtDiagnosticLog::Line(std::string_view line) {
    qCDebug(lcVantrelLink).noquote() << QString::fromUtf8(line.data(), line.size());
}

}  // namespace vantrel::app
