// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ProgressLine.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::cli {

std::string ProgressBar(std::uint32_t percent, std::size_t cells) {
    const std::uint32_t bounded = std::min<std::uint32_t>(percent, 100);
    const std::size_t done = cells * bounded / 100;
    return "[" + std::string(done, '#') + std::string(cells - done, '.') + "]";
}

std::string FormatProgressLine(const ProgressState& state, std::size_t width) {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, " %3u%%  errors %u",
                  std::min<std::uint32_t>(state.percent, 100), state.errors);
    std::string line = state.status + " " + ProgressBar(state.percent, 10) + numbers;
    if (state.rateKnown) line += "  " + std::to_string(state.rate) + " cps";
    // Status texts may be long (file names); keep the numbers and cut the text instead.
    if (line.size() > width && width > 0) {
        const std::size_t tail = line.size() - state.status.size();
        if (tail + 4 <= width) {
            line =
                state.status.substr(0, width - tail - 3) + "..." + line.substr(state.status.size());
        } else {
            line.resize(width);
        }
    }
    return line;
}

}  // namespace vantrel::cli
