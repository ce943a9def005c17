// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The readings of one profile as numbers over time, for a chart: one series per sensor
// depth, labelled like the columns of the export's depth header, holding the very values
// the export prints for the same reading and format.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ops/ExportText.h"

namespace vantrel {

class CVantrelArchive;
class SiteHistory;

struct ReadingPoint {
    double days = 0.0;  // the reading's time as a day count (see data/DateTime.h)
    float value = 0.0f;
    int reading = 0;  // the reading's index in the profile (its line in the export)
};

struct DepthSeries {
    int sensor = 0;
    std::string label;  // "10cm", as the depth header writes it
    // Runs of plottable readings in time order. A reading whose value is not finite
    // cannot be drawn: it ends the run before it, so the line has a gap there.
    std::vector<std::vector<ReadingPoint>> runs;

    std::size_t PointCount() const;
};

enum class SeriesGap { None, NoDataFile, NoReadings, NoSensors, NothingPlottable };

struct ProfileSeries {
    int profileIndex = 0;
    std::int32_t profileNo = 0;
    ExportFormat format = ExportFormat::Calibrated;
    int readings = 0;                 // the readings the export writes for the profile
    int unplottableValues = 0;        // values left out as gaps (not finite)
    std::vector<DepthSeries> depths;  // empty when nothing can be drawn
    SeriesGap gap = SeriesGap::None;  // why `depths` is empty
    std::string emptyReason;          // the same for the user; empty when there is a chart

    // The span of the points (valid only when `depths` is not empty).
    double firstDay = 0.0;
    double lastDay = 0.0;
    float minValue = 0.0f;
    float maxValue = 0.0f;

    bool IsEmpty() const { return depths.empty(); }
    std::size_t PointCount() const;
};

// The series of profile `index` (0 .. count-1; std::out_of_range otherwise) in `format`.
ProfileSeries BuildProfileSeries(const CVantrelArchive& archive, int index, ExportFormat format);

// The merged readings of series `series` of a site's history (0 .. count-1;
// std::out_of_range otherwise) in `format`: `profileIndex` is the series' index, a point's
// `reading` its index among the merged readings (HistorySeries::readings), and every line
// breaks at the series' gaps as at a value that is not finite.
ProfileSeries BuildHistorySeries(const SiteHistory& history, int series, ExportFormat format);

struct NearestReading {
    std::size_t depth = 0;  // index into ProfileSeries::depths
    ReadingPoint point;
};

// The plotted reading closest to (`days`, `value`) on a chart where one unit of distance
// is `daysPerUnit` along the time axis and `valuePerUnit` along the value axis (both
// positive; pixels, so that "closest" is what the user sees). Nothing for an empty set.
std::optional<NearestReading> FindNearestReading(const ProfileSeries& series, double days,
                                                 double value, double daysPerUnit,
                                                 double valuePerUnit);

}  // namespace vantrel
