// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/FolderCheck.h"

#include <unistd.h>

namespace vantrel {

std::size_t LongestFileName(const std::string& folder) {
    const long longest = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? static_cast<std::size_t>(longest) : 0;
}

}  // namespace vantrel
