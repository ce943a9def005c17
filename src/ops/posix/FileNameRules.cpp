// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/FileNameRules.h"

namespace vantrel {

// A POSIX folder reserves no name; "." and ".." and separators are the callers' own rules.
std::string FileNameProblem(std::string_view /*fileName*/) {
    return {};
}

}  // namespace vantrel
