// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/ProfileSeries.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "base/StringPrintf.h"
#include "data/VantrelArchive.h"

namespace vantrel {
namespace {

std::string ReasonText(SeriesGap gap, std::int32_t profileNo) {
    switch (gap) {
        case SeriesGap::None:
            return {};
        case SeriesGap::NoDataFile:
            return StringPrintf("Profile %d is incomplete: the backup holds no data file for it.",
                                profileNo);
        case SeriesGap::NoReadings:
            return StringPrintf("Profile %d holds no readings.", profileNo);
        case SeriesGap::NoSensors:
            return StringPrintf("The readings of profile %d hold no sensor values.", profileNo);
        case SeriesGap::NothingPlottable:
            return StringPrintf("No reading of profile %d has a value that can be drawn.",
                                profileNo);
    }
    return {};
}

// The readings in time order; readings of equal time keep their order in the profile.
std::vector<int> ReadingsInTimeOrder(const CProfileNode& node, int readings,
                                     std::vector<double>& days) {
    days.resize(static_cast<std::size_t>(readings));
    for (int r = 0; r < readings; ++r)
        days[static_cast<std::size_t>(r)] = node.GetReadingTime(r).days;
    std::vector<int> order(static_cast<std::size_t>(readings));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&days](int a, int b) {
        return days[static_cast<std::size_t>(a)] < days[static_cast<std::size_t>(b)];
    });
    return order;
}

}  // namespace

std::size_t DepthSeries::PointCount() const {
    std::size_t count = 0;
    for (const auto& run : runs) count += run.size();
    return count;
}

std::size_t ProfileSeries::PointCount() const {
    std::size_t count = 0;
    for (const DepthSeries& depth : depths) count += depth.PointCount();
    return count;
}

ProfileSeries BuildProfileSeries(const CVantrelArchive& archive, int index, ExportFormat format) {
    const CProfileNode& node = archive.GetProfile(index);
    ProfileSeries result;
    result.profileIndex = index;
    result.profileNo = archive.GetProfileNo(index);
    result.format = format;
    result.readings = archive.GetExportedReadingCount(index);
    const int sensors = archive.GetSensorCount(index);

    const auto emptyFor = [&result](SeriesGap gap) {
        result.depths.clear();
        result.gap = gap;
        result.emptyReason = ReasonText(gap, result.profileNo);
        return result;
    };
    if (!archive.HasData(index)) return emptyFor(SeriesGap::NoDataFile);
    if (result.readings == 0) return emptyFor(SeriesGap::NoReadings);
    if (sensors == 0) return emptyFor(SeriesGap::NoSensors);

    std::vector<double> days;
    const std::vector<int> order = ReadingsInTimeOrder(node, result.readings, days);
    const bool scaled = format == ExportFormat::Scaled;
    result.firstDay = std::numeric_limits<double>::infinity();
    result.lastDay = -std::numeric_limits<double>::infinity();
    result.minValue = std::numeric_limits<float>::infinity();
    result.maxValue = -std::numeric_limits<float>::infinity();
    bool anyPoint = false;

    result.depths.reserve(static_cast<std::size_t>(sensors));
    for (int s = 0; s < sensors; ++s) {
        DepthSeries depth;
        depth.sensor = s;
        depth.label = archive.GetDepthLabel(index, s);
        std::vector<ReadingPoint> run;
        for (const int r : order) {
            const float value = archive.GetReadingValue(index, r, s, scaled);
            const double day = days[static_cast<std::size_t>(r)];
            if (!std::isfinite(value)) {
                ++result.unplottableValues;
                if (!run.empty()) depth.runs.push_back(std::move(run));
                run.clear();
                continue;
            }
            run.push_back(ReadingPoint{day, value, r});
            anyPoint = true;
            result.firstDay = std::min(result.firstDay, day);
            result.lastDay = std::max(result.lastDay, day);
            result.minValue = std::min(result.minValue, value);
            result.maxValue = std::max(result.maxValue, value);
        }
        if (!run.empty()) depth.runs.push_back(std::move(run));
        result.depths.push_back(std::move(depth));
    }
    if (!anyPoint) {
        result.firstDay = result.lastDay = 0.0;
        result.minValue = result.maxValue = 0.0f;
        return emptyFor(SeriesGap::NothingPlottable);
    }
    return result;
}

std::optional<NearestReading> FindNearestReading(const ProfileSeries& series, double days,
                                                 double value, double daysPerUnit,
                                                 double valuePerUnit) {
    if (!(daysPerUnit > 0.0) || !(valuePerUnit > 0.0)) return std::nullopt;
    std::optional<NearestReading> best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (std::size_t d = 0; d < series.depths.size(); ++d) {
        for (const auto& run : series.depths[d].runs) {
            for (const ReadingPoint& point : run) {
                const double dx = (point.days - days) / daysPerUnit;
                const double dy = (static_cast<double>(point.value) - value) / valuePerUnit;
                const double distance = dx * dx + dy * dy;
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = NearestReading{d, point};
                }
            }
        }
    }
    return best;
}

}  // namespace vantrel
