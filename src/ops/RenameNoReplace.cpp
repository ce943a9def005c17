// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/RenameNoReplace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace vantrel {

std::error_code RenameNoReplace(const std::filesystem::path& from,
                                const std::filesystem::path& to) {
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return {errno, std::generic_category()};
    }
#endif
    // link() refuses an existing target, so the check and the rename are one step.
    if (link(from.c_str(), to.c_str()) != 0) return {errno, std::generic_category()};
    if (unlink(from.c_str()) != 0) {
        const std::error_code error(errno, std::generic_category());
        unlink(to.c_str());  // keep one name only: the file stays where it was
        return error;
    }
    return {};
}

}  // namespace vantrel
