// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The value axis: round steps for a range on a plot's height, their ticks, and a value's
// text.

#include <QFont>
#include <QString>
#include <vector>

#include "chart/Axis.h"

namespace vantrel::chart {

// The round steps of the value axis: 1, 2 and 5 times a power of ten, the smallest whose
// ticks are at least `least` apart.
double NiceStep(double least);
// The decimals a label of ticks `step` apart needs.
int DecimalsOf(double step);
// The step of the ticks for `span` on a plot `plotHeight` pixels high whose labels are in
// `font`.
double ValueStep(double span, double plotHeight, const QFont& font);
// The ticks of `value` at multiples of `step`.
std::vector<AxisTick> ValueTicks(const AxisRange& value, double step);

// A value as the export prints it ("12.345678").
QString ValueText(float value);

}  // namespace vantrel::chart
