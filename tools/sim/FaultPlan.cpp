// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/FaultPlan.h"

namespace vantrel::sim {

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::None:
            return "none";
        case Fault::Drop:
            return "drop";
        case Fault::BadLrc:
            return "bad-lrc";
        case Fault::StaleId:
            return "stale-id";
        case Fault::Nak:
            return "nak";
        case Fault::HoldOff:
            return "hold-off";
    }
    return "?";
}

FaultPlan::FaultPlan(const FaultOptions& options) : options_(options), random_(options.seed) {}

bool FaultPlan::Fires(std::uint32_t every) {
    return every != 0 && random_() % every == 0;
}

Fault FaultPlan::Next() {
    // Every switch draws, so each one's pattern depends only on the seed and the request
    // count, not on whether an earlier switch fired.
    const bool drop = Fires(options_.dropEvery);
    const bool badLrc = Fires(options_.badLrcEvery);
    const bool staleId = Fires(options_.staleIdEvery);
    const bool nak = Fires(options_.nakEvery);
    const bool holdOff = Fires(options_.holdOffEvery);
    if (drop) return Fault::Drop;
    if (badLrc) return Fault::BadLrc;
    if (staleId) return Fault::StaleId;
    if (nak) return Fault::Nak;
    if (holdOff) return Fault::HoldOff;
    return Fault::None;
}

std::size_t FaultPlan::BlockSize(std::size_t asked) {
    if (!options_.shortBlocks || asked <= 1) return asked;
    return 1 + static_cast<std::size_t>(random_() % (asked - 1));
}

}  // namespace vantrel::sim
