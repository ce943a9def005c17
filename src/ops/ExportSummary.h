// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The messages that close an export: failed, unchanged, appended and created profiles.

#include <string>
#include <vector>

#include "ops/ExportFiles.h"

namespace vantrel {

enum class SummaryIcon { Error, Information };

struct SummaryMessage {
    std::string caption;
    SummaryIcon icon = SummaryIcon::Information;
    std::string text;
};

// One message per non-empty list, in the order error, not text, unchanged, appended, created.
std::vector<SummaryMessage> BuildExportSummaries(const ExportLists& lists);

}  // namespace vantrel
