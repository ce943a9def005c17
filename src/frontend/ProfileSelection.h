// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/VantrelArchive.h"

namespace vantrel {

// Archive indexes of the profiles to export, in the export dialog's row order: all when
// `list` is absent, else those whose number appears in the comma-separated `list`.
// Throws InputError for a list that is empty, holds a non-number or a number the backup
// has no profile of.
std::vector<int> SelectProfiles(const CVantrelArchive& archive,
                                const std::optional<std::string>& list);

}  // namespace vantrel
