// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user's special folders, as the desktop shell reports them. The Qt front ends take
// them from QStandardPaths; tests give fixed ones. Kept free of any toolkit.

#include <filesystem>
#include <optional>

namespace vantrel {

class ISpecialFolders {
public:
    virtual ~ISpecialFolders() = default;
    // Nothing when the shell cannot give the folder.
    virtual std::optional<std::filesystem::path> Documents() const = 0;
    virtual std::optional<std::filesystem::path> Desktop() const = 0;
};

}  // namespace vantrel
