// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ListingGuard.h"

namespace vantrel {

bool ListingGuard::Accept(std::string_view name) {
    if (gaveUp_) return false;
    if (seen_.size() >= kMaxEntries) {
        gaveUp_ = tooMany_ = true;
        return false;
    }
    if (!seen_.emplace(name).second) {
        repeated_ = name;
        gaveUp_ = true;
        return false;
    }
    return true;
}

std::string ListingGuard::Message() const {
    if (!gaveUp_) return {};
    if (tooMany_) {
        return "The vantrel's list of files does not end: it named more than " +
               std::to_string(kMaxEntries) + " files. The listing was given up.";
    }
    return "The vantrel's list of files does not end: it named \"" + repeated_ +
           "\" a second time. The listing was given up.";
}

}  // namespace vantrel
