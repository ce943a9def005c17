// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/TextLines.h"

#include <algorithm>

namespace vantrel {
namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

std::string NormaliseLineEnds(std::string_view fileBytes) {
    std::string text;
    text.reserve(fileBytes.size() + 1);
    for (size_t i = 0; i < fileBytes.size(); ++i) {
        const bool crBeforeLf =
            fileBytes[i] == '\r' && i + 1 < fileBytes.size() && fileBytes[i + 1] == '\n';
        if (!crBeforeLf) text += fileBytes[i];
    }
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text;
}

std::string ToCrLf(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + static_cast<size_t>(std::count(text.begin(), text.end(), '\n')));
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

std::string_view TrimWhiteSpace(std::string_view text) {
    while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace vantrel
