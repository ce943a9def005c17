// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/ProfileSelection.h"

#include <charconv>
#include <set>
#include <string_view>

#include "frontend/InputError.h"
#include "ops/ExportFiles.h"
#include "ops/TextLines.h"

namespace vantrel {
namespace {

std::set<int> ParseNumbers(std::string_view list) {
    std::set<int> numbers;
    while (true) {
        const size_t comma = list.find(',');
        const std::string_view item = TrimWhiteSpace(list.substr(0, comma));
        int number = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), number);
        if (item.empty() || error != std::errc() || end != item.data() + item.size()) {
            throw InputError("--profiles takes profile numbers separated by commas, not '" +
                             std::string(item) + "'");
        }
        numbers.insert(number);
        if (comma == std::string_view::npos) return numbers;
        list.remove_prefix(comma + 1);
    }
}

// The profiles of `archive` whose number is wanted, in row order; their numbers go to `found`.
std::vector<int> Chosen(const CVantrelArchive& archive, const std::set<int>& wanted,
                        std::set<int>& found) {
    std::vector<int> chosen;
    for (int index : ProfileIndexesInRowOrder(archive)) {
        const int number = archive.GetProfileNo(index);
        if (wanted.contains(number)) {
            chosen.push_back(index);
            found.insert(number);
        }
    }
    return chosen;
}

void RequireFound(const std::set<int>& wanted, const std::set<int>& found, const char* holder) {
    for (int number : wanted) {
        if (!found.contains(number)) {
            throw InputError(std::string(holder) + " no profile " + std::to_string(number));
        }
    }
}

}  // namespace

std::vector<int> SelectProfiles(const CVantrelArchive& archive,
                                const std::optional<std::string>& list) {
    if (!list) return ProfileIndexesInRowOrder(archive);
    const std::set<int> wanted = ParseNumbers(*list);
    std::set<int> found;
    std::vector<int> chosen = Chosen(archive, wanted, found);
    RequireFound(wanted, found, "the backup holds");
    return chosen;
}

std::vector<std::vector<int>> SelectProfilesOfEach(const std::vector<HistoryBackup>& backups,
                                                   const std::optional<std::string>& list) {
    std::vector<std::vector<int>> chosen;
    const std::set<int> wanted = list ? ParseNumbers(*list) : std::set<int>{};
    std::set<int> found;
    for (const HistoryBackup& backup : backups) {
        chosen.push_back(list ? Chosen(backup.archive, wanted, found)
                              : ProfileIndexesInRowOrder(backup.archive));
    }
    RequireFound(wanted, found, "the backups hold");
    return chosen;
}

}  // namespace vantrel
