// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/AsciiText.h"

#include <algorithm>

namespace vantrel {

namespace {
// ASCII only, whatever the process's locale: names and stamps are plain ASCII texts.
char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
bool SameLetter(char a, char b) {
    return AsciiLower(a) == AsciiLower(b);
}
}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameLetter);
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace vantrel
