// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two axes' shared parts: the range on show and a tick (a grid line with its label).

#include <QString>

namespace vantrel::chart {

struct AxisRange {
    double min = 0.0;
    double max = 0.0;
    double Span() const { return max - min; }
    bool operator==(const AxisRange&) const = default;
};

struct AxisTick {
    double at = 0.0;  // chart time or value
    QString label;
};

}  // namespace vantrel::chart
