// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/ValueAxis.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

#include "data/FloatText.h"

namespace vantrel::chart {

double NiceStep(double least) {
    if (!(least > 0.0) || !std::isfinite(least)) return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= least) return m * power;
    }
    return 10.0 * power;
}

int DecimalsOf(double step) {
    return std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 9);
}

double ValueStep(double span, double plotHeight, const QFont& font) {
    const double rows = std::max(2.0, plotHeight / (QFontMetricsF(font).height() * 2.5));
    return NiceStep(span / rows);
}

std::vector<AxisTick> ValueTicks(const AxisRange& value, double step) {
    const int decimals = DecimalsOf(step);
    std::vector<AxisTick> ticks;
    for (double v = std::ceil(value.min / step - 1e-9) * step; v <= value.max + step * 1e-9;
         v += step) {
        const double at = std::abs(v) < step * 1e-9 ? 0.0 : v;
        ticks.push_back({at, QString::number(at, 'f', decimals)});
        if (ticks.size() > 200) break;
    }
    return ticks;
}

QString ValueText(float value) {
    return QString::fromStdString(FormatFixed6(value));
}

}  // namespace vantrel::chart
