// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/BackupNaming.h"

#include "base/AsciiText.h"
#include "base/PathText.h"
#include "ops/FileNameRules.h"
#include "ops/FolderCheck.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

namespace vantrel {

namespace {

constexpr std::string_view kExtension = ".vbk";

// The number k of a "(k)" suffix: digits only, no leading zero, above 0, within int.
std::optional<int> SuffixNumber(std::string_view digits) {
    if (digits.empty() || digits.front() == '0') return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; })) {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

std::string UpToLastDot(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos ? path : path.substr(0, dot);
}

}  // namespace

std::string DefaultBackupName(const DateTimeValue& today) {
    return "Vantrel Backup " + FormatDayMonthYear(today) + std::string(kExtension);
}

std::string WithBackupExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    const std::string_view extension = dot == std::string_view::npos ? name : name.substr(dot);
    std::string result(name);
    if (!EqualsIgnoringCase(extension, kExtension)) result += kExtension;
    return result;
}

std::string BackupPathIn(std::string_view folder, std::string_view fileName) {
    std::string path(folder);
    if (!path.empty() && LastPathSeparator(path) != path.size() - 1) path += kPathSeparator;
    path += fileName;
    return path;
}

std::string UniqueBackupPath(const std::string& path, const FileExistsPredicate& exists) {
    if (!exists(path)) return path;
    // 64 bits: a name already numbered up to the largest int still gets a free number.
    std::int64_t n = 1;
    std::string base = path;
    const std::string stem = UpToLastDot(path);
    if (!stem.empty() && stem.back() == ')') {
        const std::size_t open = stem.rfind('(');
        // Only a "(" inside the file name counts, never one in a folder's name.
        const std::size_t nameStart = LastPathSeparator(stem);
        const bool inFileName = nameStart == std::string::npos || open > nameStart;
        if (open != std::string::npos && open > 0 && inFileName) {
            const auto k =
                SuffixNumber(std::string_view(stem).substr(open + 1, stem.size() - open - 2));
            if (k) {
                n = *k;
                base = stem.substr(0, open) + std::string(kExtension);
            }
        }
    }
    const std::string prefix = UpToLastDot(base);
    std::string candidate;
    for (;;) {
        candidate = prefix + "(" + std::to_string(n) + ")" + std::string(kExtension);
        if (!exists(candidate) || n == std::numeric_limits<std::int64_t>::max()) break;
        ++n;
    }
    return candidate;
}

std::string FileNamePart(std::string_view path) {
    const std::size_t separator = LastPathSeparator(path);
    // A separator in first place (a backup in the root folder) leaves the whole path.
    if (separator == std::string_view::npos || separator == 0) return std::string(path);
    return std::string(path.substr(separator + 1));
}

std::string BackupNameProblem(std::string_view typedName) {
    if (typedName.find_first_not_of(" \t") == std::string_view::npos) {
        return "Please enter a filename to backup the vantrel to";
    }
    const std::string name = WithBackupExtension(typedName);
    const std::string_view title =
        std::string_view(name).substr(0, name.size() - kExtension.size());
    if (title.find_first_not_of(". \t") == std::string_view::npos) {
        return "A backup name needs more than dots and blanks: '" + std::string(typedName) + "'";
    }
    return FileNameProblem(FileNamePart(name));
}

std::string BackupFolderProblem(const std::string& folder, std::string_view fileName) {
    if (std::string problem = FolderWriteProblem(folder, "backup folder"); !problem.empty()) {
        return problem;
    }
    // Room for a "(n)" the name may still get.
    constexpr std::size_t kNumberRoom = 8;
    const std::size_t longest = LongestFileName(folder);
    if (longest > kNumberRoom && fileName.size() + kNumberRoom > longest) {
        return "The backup name is too long for this file system (" +
               std::to_string(fileName.size()) + " bytes; at most " +
               std::to_string(longest - kNumberRoom) + ")";
    }
    return {};
}

BackupTarget ResolveBackupTarget(std::string_view folder, std::string_view typedName,
                                 const FileExistsPredicate& exists) {
    const std::string name = WithBackupExtension(typedName);
    const std::string path = UniqueBackupPath(BackupPathIn(folder, name), exists);
    return {path, FileNamePart(path)};
}

}  // namespace vantrel
