// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A site's logger visited again and again: one long sample image cut into the images the
// logger held at each visit. A restore between visits clears the logger, so each visit's
// image holds the readings logged since the visit before, with the same profiles and soil
// tables; options add what real histories have: readings two backups share, a lost backup,
// a soil table calibrated anew, readings a later backup holds otherwise.

#include <cstdint>
#include <vector>

#include "sample/SampleImage.h"

namespace vantrel::sample {

struct SiteVisitOptions {
    SampleOptions sample;  // profiles, sensors and seed; the readings are as many as needed
    int visits = 50;
    int daysBetween = 7;
    // Each visit after the first also holds the readings of this many hours before the
    // visit before it (the logger was not cleared then).
    int overlapHours = 0;
    int lost = 0;          // the visit (1-based) whose image is left out: a gap; 0 none
    int recalibrated = 0;  // from this visit on, user soil 2 has other coefficients; 0 never
    int readAnew = 0;      // this visit holds the readings it shares with the visit before
                           // with other values (its first sensor 0.5 higher); 0 none
};

struct SiteVisit {
    int number = 0;            // 1-based
    std::int32_t seconds = 0;  // the visit's time, since 1 January 1990
    std::vector<LoggerFile> files;
};

// The visits in time order, without the lost one.
std::vector<SiteVisit> MakeSiteVisits(const SiteVisitOptions& options);

}  // namespace vantrel::sample
