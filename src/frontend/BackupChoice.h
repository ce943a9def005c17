// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Naming a backup: by its title in the backup folder ("Site 3"), by
// its file name there ("Site 3.vbk", any letter case of the extension), or by a path.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// The title of the backup in `folder` that `name` names, if there is one.
std::optional<std::string> FindBackupTitle(const std::filesystem::path& folder,
                                           const std::string& name);

// The file `argument` names: a backup of `folder` by title or file name, else the path
// itself (which may not exist; loading it then says so).
std::filesystem::path ChooseBackupFile(const std::filesystem::path& folder,
                                       const std::string& argument);

// A new title as typed: a trailing ".vbk" (any case) is dropped, since renaming keeps the
// backup's own extension.
std::string TitleFromTyped(const std::string& typed);

}  // namespace vantrel
