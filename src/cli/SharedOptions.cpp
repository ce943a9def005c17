// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/SharedOptions.h"

#include <array>

#include "cli/Command.h"

namespace vantrel::cli::options {

std::vector<OptionSpec> LinkOptions() {
    return {kPort, kBaud, kVerbose, kTrace};
}

std::vector<OptionSpec> With(std::vector<OptionSpec> base, const std::vector<OptionSpec>& extra) {
    base.insert(base.end(), extra.begin(), extra.end());
    return base;
}

int ParseBaudRate(const std::string& text) {
    for (const int rate : {9600, 19200, 38400}) {
        if (text == std::to_string(rate)) return rate;
    }
    throw UsageError("--baud is 9600, 19200 or 38400, not '" + text + "'");
}

ExportFormat ParseExportFormat(const std::optional<std::string>& text) {
    if (!text || *text == "calibrated") return ExportFormat::Calibrated;
    if (*text == "scaled") return ExportFormat::Scaled;
    throw UsageError("--format is 'calibrated' or 'scaled', not '" + *text + "'");
}

bool TakesValue(const std::string& option) {
    static const std::array<const OptionSpec*, 3> kValued = {&kPort, &kBaud, &kTrace};
    if (option == kFolder.name) return true;
    for (const OptionSpec* definition : kValued) {
        if (definition->name == option) return true;
    }
    return false;
}

}  // namespace vantrel::cli::options
