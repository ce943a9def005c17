// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Guards a walk of the logger's listing (Get First File Info, then Get Next File Info until
// the logger answers that no file follows) against a logger that never gives that answer.
// The walk is given up at the first name the listing repeats (a logger that starts over,
// or is stuck on one entry) or when it passes kMaxEntries names. No real logger comes near
// that bound: it reports its file count in two hexadecimal digits (at most 255 files). At
// about 40 ms a request the bound still ends a runaway listing within minutes.
//
// Plain data: one guard per walk, on the thread that walks.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

namespace vantrel {

class ListingGuard {
public:
    static constexpr std::size_t kMaxEntries = 10000;

    // True when `name` may be taken as the next entry of the listing; false once the listing
    // must be given up (and for every name after that).
    bool Accept(std::string_view name);
    bool GaveUp() const { return gaveUp_; }
    // Why the listing was given up, one sentence for the user; empty while it was not.
    std::string Message() const;

private:
    std::unordered_set<std::string> seen_;
    std::string repeated_;
    bool gaveUp_ = false;
    bool tooMany_ = false;
};

}  // namespace vantrel
