// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ISpecialFolders with folders given by the caller, for tests and tools.

#include <filesystem>
#include <optional>

#include "platform/SpecialFolders.h"

namespace vantrel {

class FixedSpecialFolders final : public ISpecialFolders {
public:
    FixedSpecialFolders() = default;
    FixedSpecialFolders(std::optional<std::filesystem::path> documentsFolder,
                        std::optional<std::filesystem::path> desktopFolder)
        : documents(std::move(documentsFolder)), desktop(std::move(desktopFolder)) {}

    std::optional<std::filesystem::path> Documents() const override { return documents; }
    std::optional<std::filesystem::path> Desktop() const override { return desktop; }

    std::optional<std::filesystem::path> documents;
    std::optional<std::filesystem::path> desktop;
};

}  // namespace vantrel
