// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/ExportSummary.h"

#include "base/StringPrintf.h"

namespace vantrel {
namespace {

// "%d. Profile %02d\n" for every entry, numbered from 1.
std::string ProfileLines(const std::vector<int>& profiles) {
    std::string lines;
    int position = 0;
    for (int profileNo : profiles)
        lines += StringPrintf("%d. Profile %02d\n", ++position, profileNo);
    return lines;
}

void AddSummary(std::vector<SummaryMessage>& messages, const std::vector<int>& profiles,
                const char* caption, SummaryIcon icon, const char* intro) {
    if (profiles.empty()) return;
    messages.push_back({caption, icon, std::string(intro) + ProfileLines(profiles)});
}

}  // namespace

std::vector<SummaryMessage> BuildExportSummaries(const ExportLists& lists) {
    std::vector<SummaryMessage> messages;
    AddSummary(messages, lists.errors, "Error exporting profiles", SummaryIcon::Error,
               "The following profiles were unable to be exported ! Probable causes may be "
               "because the destination files already existed and contained modified or "
               "mismatched information that would not allow the current profile to be appended "
               "or that profiles had incomplete setups:\n");
    if (!lists.notText.empty()) {
        std::string text =
            "The following existing files are not text, so no readings were appended to them; "
            "they were left as they were:\n";
        int position = 0;
        for (const std::string& line : lists.notText)
            text += StringPrintf("%d. ", ++position) + line + "\n";
        messages.push_back({"Export files that are not text", SummaryIcon::Error, text});
    }
    AddSummary(messages, lists.unchanged, "No relevant changes", SummaryIcon::Information,
               "The following profiles had no relevant changes detected in them from existing "
               "profile files:\n");
    AddSummary(messages, lists.appended, "Appended Profiles", SummaryIcon::Information,
               "The following profiles were exported and appended to existing files:\n");
    AddSummary(messages, lists.created, "Newly Created Profile Files", SummaryIcon::Information,
               "The following profiles were successfully exported to newly created files:\n");
    return messages;
}

}  // namespace vantrel
