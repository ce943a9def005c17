// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/ExportFileName.h"

#include "base/PathText.h"
#include "base/StringPrintf.h"
#include "ops/FileNameRules.h"
#include "ops/TextLines.h"

namespace vantrel {
std::optional<std::string> CheckExportFileName(std::string_view typed) {
    const std::string_view trimmed = TrimWhiteSpace(typed);
    const size_t slash = LastPathSeparator(trimmed);
    const std::string_view namePart =
        slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1);
    if (namePart.empty()) return std::nullopt;
    std::string name(trimmed);
    // Only the file's own name counts: "d.ir/North" is North in the folder d.ir.
    if (namePart.find('.') == std::string_view::npos) name += ".csv";
    return name;
}

std::string ProfileFileName(std::string_view exportFile, int profileNo) {
    size_t dot = exportFile.rfind('.');
    const size_t slash = LastPathSeparator(exportFile);
    if (dot != std::string_view::npos && slash != std::string_view::npos && dot < slash) {
        dot = std::string_view::npos;
    }
    const std::string_view base = exportFile.substr(0, dot);
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view{} : exportFile.substr(dot);
    return std::string(base) + StringPrintf(" (Pro%02d)", profileNo) + std::string(extension);
}

std::string ExportNameProblem(std::string_view exportFile) {
    // Every profile number gives the same verdict: the number sits inside the name.
    const std::string profileFile = ProfileFileName(exportFile, 1);
    const size_t slash = LastPathSeparator(profileFile);
    return FileNameProblem(slash == std::string::npos
                               ? std::string_view(profileFile)
                               : std::string_view(profileFile).substr(slash + 1));
}

std::string ExportFolderOf(std::string_view exportFile) {
    const size_t slash = LastPathSeparator(exportFile);
    return slash == std::string_view::npos ? std::string{}
                                           : std::string(exportFile.substr(0, slash));
}

std::string AnchorExportFile(std::string_view exportFile, std::string_view folder) {
    if (folder.empty() || exportFile.empty() || PathFromUtf8(exportFile).is_absolute()) {
        return std::string(exportFile);
    }
    std::string anchored(folder);
    if (LastPathSeparator(anchored) + 1 != anchored.size()) anchored += kPathSeparator;
    return anchored.append(exportFile);
}

}  // namespace vantrel
