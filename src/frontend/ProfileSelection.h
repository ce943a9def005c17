// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/VantrelArchive.h"
#include "ops/SiteHistory.h"

namespace vantrel {

// Archive indexes of the profiles to export, in the export dialog's row order: all when
// `list` is absent, else those whose number appears in the comma-separated `list`.
// Throws InputError for a list that is empty, holds a non-number or a number the backup
// has no profile of.
std::vector<int> SelectProfiles(const CVantrelArchive& archive,
                                const std::optional<std::string>& list);

// The same for each of several backups: of each, the profiles whose number appears in
// `list` (all when it is absent), in row order. Throws InputError for a list that is empty,
// holds a non-number or a number no backup has a profile of.
std::vector<std::vector<int>> SelectProfilesOfEach(const std::vector<HistoryBackup>& backups,
                                                   const std::optional<std::string>& list);

}  // namespace vantrel
