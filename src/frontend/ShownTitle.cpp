// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/ShownTitle.h"

namespace vantrel {
namespace {

constexpr std::string_view kShownBlank = "\u2423";

void AppendShownBlanks(std::string& text, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) text += kShownBlank;
}

}  // namespace

std::string ShownTitle(std::string_view title) {
    const std::size_t first = title.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        std::string blanks;
        AppendShownBlanks(blanks, title.size());
        return blanks;
    }
    const std::size_t last = title.find_last_not_of(' ');
    std::string shown;
    AppendShownBlanks(shown, first);
    shown += title.substr(first, last + 1 - first);
    AppendShownBlanks(shown, title.size() - 1 - last);
    return shown;
}

}  // namespace vantrel
