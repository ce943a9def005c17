// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/TextLines.h"

#include <algorithm>

namespace vantrel {
namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

std::string NormaliseLineEnds(std::string_view fileBytes, bool atFileEnd) {
    std::string text;
    text.reserve(fileBytes.size() + 1);
    for (size_t i = 0; i < fileBytes.size(); ++i) {
        const bool last = i + 1 == fileBytes.size();
        if (fileBytes[i] != '\r') {
            text += fileBytes[i];
        } else if (last && atFileEnd) {
            text += '\n';  // a lone CR that ends the file ends its last line
        } else if (last || fileBytes[i + 1] != '\n') {
            text += '\r';
        }
    }
    if (atFileEnd && !text.empty() && text.back() != '\n') text += '\n';
    return text;
}

std::string WithLineEnds(std::string_view text, std::string_view lineEnd) {
    std::string bytes;
    const auto lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    bytes.reserve(text.size() + lines * (lineEnd.size() - 1));
    for (char c : text) {
        if (c == '\n') {
            bytes += lineEnd;
        } else {
            bytes += c;
        }
    }
    return bytes;
}

std::string ToCrLf(std::string_view text) {
    return WithLineEnds(text, "\r\n");
}

std::string_view LineEndOf(std::string_view fileEnd) {
    const size_t lf = fileEnd.rfind('\n');
    if (lf == std::string_view::npos || (lf > 0 && fileEnd[lf - 1] == '\r')) return "\r\n";
    // A LF that starts the bytes may follow a CR just before them: CR LF is the safer guess.
    return lf == 0 ? "\r\n" : "\n";
}

std::string_view JoinAfter(std::string_view fileEnd) {
    if (fileEnd.empty() || fileEnd.back() == '\n') return {};
    if (fileEnd.back() == '\r') return "\n";
    return LineEndOf(fileEnd);
}

std::string_view TrimWhiteSpace(std::string_view text) {
    while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace vantrel
