// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user's documents and desktop folders from QStandardPaths.

#include "platform/SpecialFolders.h"

namespace vantrel {

class QtSpecialFolders final : public ISpecialFolders {
public:
    std::optional<std::filesystem::path> Documents() const override;
    std::optional<std::filesystem::path> Desktop() const override;
};

}  // namespace vantrel
