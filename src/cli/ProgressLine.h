// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one-line progress display of a logger operation on a terminal.

#include <cstdint>
#include <string>

namespace vantrel::cli {

struct ProgressState {
    std::string status;         // the last status text
    std::uint32_t percent = 0;  // 0..100
    std::uint32_t errors = 0;   // the transfer error count
    std::uint32_t rate = 0;     // characters per second
    bool rateKnown = false;     // no rate is shown before the first timer tick
};

// "Retrieving PRO01.DAT00 [#####.....]  45%  errors 0  1920 cps", cut to `width`
// characters (a terminal line that wraps cannot be redrawn in place).
std::string FormatProgressLine(const ProgressState& state, std::size_t width);

// The bar alone: `cells` cells, '#' for the part done.
std::string ProgressBar(std::uint32_t percent, std::size_t cells);

}  // namespace vantrel::cli
