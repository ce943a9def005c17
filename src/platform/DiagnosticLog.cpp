// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DiagnosticLog.h"

namespace vantrel {

void StreamDiagnosticLog::Line(std::string_view line) {
    std::lock_guard guard(mutex_);
    out_ << line << '\n';
    out_.flush();
}

void RecordingDiagnosticLog::Line(std::string_view line) {
    std::lock_guard guard(mutex_);
    lines_.emplace_back(line);
}

std::vector<std::string> RecordingDiagnosticLog::Lines() const {
    std::lock_guard guard(mutex_);
    return lines_;
}

}  // namespace vantrel
