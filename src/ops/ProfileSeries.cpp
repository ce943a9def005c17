// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/ProfileSeries.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "base/StringPrintf.h"
#include "data/VantrelArchive.h"
#include "ops/SiteHistory.h"

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

namespace {

// Fills the depths of `result` from `count` readings in time order: reading k is at `day(k)`
// and is the reading `index(k)` of the series; `value(k, s)` is its value at sensor s; a
// gap before reading k (`breakBefore(k)`) or a value that is not finite ends a run.
template <typename Day, typename Index, typename Value, typename BreakBefore>
ProfileSeries& FillDepths(ProfileSeries& result, const std::vector<std::string>& labels, int count,
                          Day day, Index index, Value value, BreakBefore breakBefore) {
    result.firstDay = std::numeric_limits<double>::infinity();
    result.lastDay = -std::numeric_limits<double>::infinity();
    result.minValue = std::numeric_limits<float>::infinity();
    result.maxValue = -std::numeric_limits<float>::infinity();
    bool anyPoint = false;

    const int sensors = static_cast<int>(labels.size());
    result.depths.reserve(labels.size());
    for (int s = 0; s < sensors; ++s) {
        DepthSeries depth;
        depth.sensor = s;
        depth.label = labels[static_cast<std::size_t>(s)];
        std::vector<ReadingPoint> run;
        for (int k = 0; k < count; ++k) {
            const float v = value(k, s);
            if (!run.empty() && breakBefore(k)) {
                depth.runs.push_back(std::move(run));
                run.clear();
            }
            if (!std::isfinite(v)) {
                ++result.unplottableValues;
                if (!run.empty()) depth.runs.push_back(std::move(run));
                run.clear();
                continue;
            }
            const double d = day(k);
            run.push_back(ReadingPoint{d, v, index(k)});
            anyPoint = true;
            result.firstDay = std::min(result.firstDay, d);
            result.lastDay = std::max(result.lastDay, d);
            result.minValue = std::min(result.minValue, v);
            result.maxValue = std::max(result.maxValue, v);
        }
        if (!run.empty()) depth.runs.push_back(std::move(run));
        result.depths.push_back(std::move(depth));
    }
    if (!anyPoint) {
        result.firstDay = result.lastDay = 0.0;
        result.minValue = result.maxValue = 0.0f;
        result.depths.clear();
        result.gap = SeriesGap::NothingPlottable;
        result.emptyReason = ReasonText(result.gap, result.profileNo);
    }
    return result;
}

ProfileSeries& EmptyFor(ProfileSeries& result, SeriesGap gap) {
    result.depths.clear();
    result.gap = gap;
    result.emptyReason = ReasonText(gap, result.profileNo);
    return result;
}

std::vector<std::string> DepthLabels(const CVantrelArchive& archive, int index) {
    std::vector<std::string> labels;
    for (int s = 0; s < archive.GetSensorCount(index); ++s) {
        labels.push_back(archive.GetDepthLabel(index, s));
    }
    return labels;
}

}  // namespace

ProfileSeries BuildProfileSeries(const CVantrelArchive& archive, int index, ExportFormat format) {
    const CProfileNode& node = archive.GetProfile(index);
    ProfileSeries result;
    result.profileIndex = index;
    result.profileNo = archive.GetProfileNo(index);
    result.format = format;
    result.readings = archive.GetExportedReadingCount(index);

    if (!archive.HasData(index)) return EmptyFor(result, SeriesGap::NoDataFile);
    if (result.readings == 0) return EmptyFor(result, SeriesGap::NoReadings);
    const std::vector<std::string> labels = DepthLabels(archive, index);
    if (labels.empty()) return EmptyFor(result, SeriesGap::NoSensors);

    std::vector<double> days;
    const std::vector<int> order = ReadingsInTimeOrder(node, result.readings, days);
    const bool scaled = format == ExportFormat::Scaled;
    const auto at = [&order](int k) { return order[static_cast<std::size_t>(k)]; };
    return FillDepths(
        result, labels, result.readings,
        [&](int k) { return days[static_cast<std::size_t>(at(k))]; }, at,
        [&](int k, int s) { return archive.GetReadingValue(index, at(k), s, scaled); },
        [](int) { return false; });
}

ProfileSeries BuildHistorySeries(const SiteHistory& history, int series, ExportFormat format) {
    const HistorySeries& merged = history.Series().at(static_cast<std::size_t>(series));
    ProfileSeries result;
    result.profileIndex = series;
    result.profileNo = merged.ProfileNo();
    result.format = format;
    result.readings = static_cast<int>(merged.readings.size());
    if (result.readings == 0) return EmptyFor(result, SeriesGap::NoReadings);
    const HistoryProfile& first = merged.members.front();
    const std::vector<std::string> labels =
        DepthLabels(history.ArchiveOf(first), first.profileIndex);
    if (labels.empty()) return EmptyFor(result, SeriesGap::NoSensors);

    // A gap of the merged readings breaks every line.
    std::vector<bool> gapBefore(merged.readings.size(), false);
    for (std::size_t k = 1, g = 0; k < merged.readings.size() && g < merged.gaps.size(); ++k) {
        if (merged.readings[k].days == merged.gaps[g].toDays) {
            gapBefore[k] = true;
            ++g;
        }
    }
    const bool scaled = format == ExportFormat::Scaled;
    const auto reading = [&merged](int k) -> const HistoryReading& {
        return merged.readings[static_cast<std::size_t>(k)];
    };
    return FillDepths(
        result, labels, result.readings, [&](int k) { return reading(k).days; },
        [](int k) { return k; },
        [&](int k, int s) {
            const HistoryProfile& from =
                merged.members[static_cast<std::size_t>(reading(k).member)];
            return history.ArchiveOf(from).GetReadingValue(from.profileIndex, reading(k).record, s,
                                                           scaled);
        },
        [&gapBefore](int k) { return gapBefore[static_cast<std::size_t>(k)]; });
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
