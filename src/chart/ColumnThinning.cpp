// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/ColumnThinning.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vantrel::chart {

void ThinToColumns(std::vector<QPointF>& positions, double columnWidth) {
    if (!(columnWidth > 0.0)) return;
    const std::size_t count = positions.size();
    std::size_t kept = 0;  // written in place: a column never keeps more than it holds
    for (std::size_t first = 0; first < count;) {
        // The right edge of the first point's column: x does not decrease along the line.
        const double edge = (std::floor(positions[first].x() / columnWidth) + 1.0) * columnWidth;
        std::size_t end = first + 1;
        std::size_t lowest = first;
        std::size_t highest = first;
        for (; end < count && positions[end].x() < edge; ++end) {
            if (positions[end].y() < positions[lowest].y()) lowest = end;
            if (positions[end].y() > positions[highest].y()) highest = end;
        }
        if (end - first <= 4) {
            for (std::size_t i = first; i < end; ++i) positions[kept++] = positions[i];
        } else {
            std::array<std::size_t, 4> chosen = {first, lowest, highest, end - 1};
            std::sort(chosen.begin(), chosen.end());
            const std::array<QPointF, 4> points = {positions[chosen[0]], positions[chosen[1]],
                                                   positions[chosen[2]], positions[chosen[3]]};
            for (std::size_t i = 0; i < chosen.size(); ++i) {
                if (i == 0 || chosen[i] != chosen[i - 1]) positions[kept++] = points[i];
            }
        }
        first = end;
    }
    positions.resize(kept);
}

}  // namespace vantrel::chart
