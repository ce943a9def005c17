// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The link's diagnostic lines in the desktop program: the logging category
// "vantrel.link" (QT_LOGGING_RULES="vantrel.link.debug=true" shows them).

#include <QLoggingCategory>

#include "platform/DiagnosticLog.h"

Q_DECLARE_LOGGING_CATEGORY(lcVantrelLink)

namespace vantrel::app {

class QtDiagnosticLog final : public IDiagnosticLog {
public:
    void Line(std::string_view line) override;
};

}  // namespace vantrel::app
