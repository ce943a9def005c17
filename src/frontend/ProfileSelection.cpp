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

}  // namespace

std::vector<int> SelectProfiles(const CVantrelArchive& archive,
                                const std::optional<std::string>& list) {
    const std::vector<int> rows = ProfileIndexesInRowOrder(archive);
    if (!list) return rows;

    const std::set<int> wanted = ParseNumbers(*list);
    std::vector<int> chosen;
    std::set<int> found;
    for (int index : rows) {
        const int number = archive.GetProfileNo(index);
        if (wanted.contains(number)) {
            chosen.push_back(index);
            found.insert(number);
        }
    }
    for (int number : wanted) {
        if (!found.contains(number)) {
            throw InputError("the backup holds no profile " + std::to_string(number));
        }
    }
    return chosen;
}

}  // namespace vantrel
