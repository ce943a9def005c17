// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The export file name F and the names derived from it.

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::string_view kEnterExportFilenameText = "Please enter an export filename";

// The name as the export uses it: white space trimmed, ".csv" appended when the file-name
// part (after the last "/") has no "." (a "." in a folder's name does not count). nullopt
// when the file-name part is empty.
std::optional<std::string> CheckExportFileName(std::string_view typed);

// "%s (Pro%02d)%s" from the base and the extension of F. The extension starts at the last
// "." of F; a "." that lies in a folder name starts none, so every profile file stays in
// the folder of F.
std::string ProfileFileName(std::string_view exportFile, int profileNo);

// Why the profile files of F cannot be named on this platform (FileNameProblem of the
// name "F (ProNN).ext" gets: "CON.a.csv" gives "CON.a (Pro01).csv", a device on Windows,
// and "North." gives "North (Pro01)." which loses its dot there), or empty.
std::string ExportNameProblem(std::string_view exportFile);

// The folder of F, kept as the "Export Path" setting: the text before the last "/", or
// empty when F has none.
std::string ExportFolderOf(std::string_view exportFile);

// F as written to: a relative name (a bare file name above all) is taken inside `folder`,
// never in the program's working directory; an absolute one stays as it is, and so does
// every name when `folder` is empty.
std::string AnchorExportFile(std::string_view exportFile, std::string_view folder);

}  // namespace vantrel
