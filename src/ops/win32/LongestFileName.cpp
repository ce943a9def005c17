// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/FolderCheck.h"

namespace vantrel {

// Every file system Windows writes to (NTFS, FAT with long names, exFAT, ReFS, SMB shares)
// takes names of up to 255 UTF-16 units.
std::size_t LongestFileName(const std::string& /*folder*/) {
    return 255;
}

}  // namespace vantrel
